// The status text shown for the module's status byte.
#pragma once

#include <QString>

#include <cstdint>

namespace quillmark {

// "Engine Running"/"Engine Off", "Basic Mode"/"Advanced Mode", and "Swap Mode" when bit 5 is
// set; lines joined by "\r\n", none at the end.
QString statusText(std::int16_t status);

}  // namespace quillmark
