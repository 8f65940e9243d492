// The module models by the names their firmware identifiers carry.
#pragma once

namespace quillmark {

inline constexpr char kModelCorvaneIIVR[] = "Corvane II VR";
inline constexpr char kModelCorvaneII[] = "Corvane II";
inline constexpr char kModelCorvane[] = "Corvane";

}  // namespace quillmark
