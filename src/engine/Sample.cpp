#include "engine/Sample.h"

namespace quillmark {

std::optional<float> Sample::value(Quantity quantity) const {
    const auto index = quantityIndex(quantity);
    return index ? values[*index] : std::nullopt;
}

void Sample::setValue(Quantity quantity, float value) {
    if (const auto index = quantityIndex(quantity)) {
        values[*index] = value;
    }
}

}  // namespace quillmark
