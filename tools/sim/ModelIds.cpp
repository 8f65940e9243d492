// Model lookups by identifier text and by name.
#include "sim/ModelIds.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace quillmark::sim {

namespace {

std::string normalised(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out.push_back(c == '-' ? ' ' : static_cast<char>(std::tolower(u)));
    }
    return out;
}

}  // namespace

const ModelInfo& modelInfo(Model model) {
    const auto it = std::find_if(kModels.begin(), kModels.end(),
                                 [model](const ModelInfo& info) { return info.model == model; });
    return *it;
}

Model modelForIdentifier(const QByteArray& text) {
    // The names are plain ASCII, so folding ASCII letters is all a match can depend on.
    const QByteArray folded = text.toLower();
    for (const auto& info : kModels) {
        const QByteArray name(info.identifier.data(),
                              static_cast<qsizetype>(info.identifier.size()));
        if (folded.contains(name.toLower())) {
            return info.model;
        }
    }
    return Model::Corvane;
}

std::optional<Model> parseModelName(std::string_view name) {
    const std::string wanted = normalised(name);
    for (const auto& info : kModels) {
        if (normalised(info.identifier) == wanted) {
            return info.model;
        }
    }
    return std::nullopt;
}

}  // namespace quillmark::sim
