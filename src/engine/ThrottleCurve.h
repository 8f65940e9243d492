// The throttle-position curve: the module's raw throttle byte to percent opening.
#pragma once

#include <cstdint>

namespace quillmark {

// Six sloped segments and a flat top at 100 from raw 127 on.
double LinearizeTPSPercent(std::uint8_t raw);

}  // namespace quillmark
