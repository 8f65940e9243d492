// The program's name: its application title, the application its settings are stored under
// and the source of its own error messages.
#pragma once

namespace quillmark {

inline constexpr char kProgramName[] = "Quillmark";

}  // namespace quillmark
