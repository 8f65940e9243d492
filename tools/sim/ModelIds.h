// The module models, their identifier texts and how the program tells them apart.
#pragma once

#include "link/ModelNames.h"

#include <QByteArray>

#include <array>
#include <optional>
#include <string_view>

namespace quillmark::sim {

enum class Model { Corvane, CorvaneII, CorvaneIIVR };

struct ModelInfo {
    Model model = Model::Corvane;
    std::string_view identifier;
    double rpmPerCount = 31.25;  // engine speed of one count of the speed byte
};

// Ordered so that the first identifier found in a text names the model, longest first:
// "Corvane II VR" also contains "Corvane II".
inline constexpr std::array kModels{
    ModelInfo{Model::CorvaneIIVR, kModelCorvaneIIVR, 40.0},
    ModelInfo{Model::CorvaneII, kModelCorvaneII, 31.25},
    ModelInfo{Model::Corvane, kModelCorvane, 31.25},
};

const ModelInfo& modelInfo(Model model);

// The model the program settles on for an identifier text: case is ignored and the text only
// has to contain the name; anything else counts as the plain model.
Model modelForIdentifier(const QByteArray& text);

// Accepts the three identifier names (any case) and the dashed forms "corvane-ii-vr".
std::optional<Model> parseModelName(std::string_view name);

}  // namespace quillmark::sim
