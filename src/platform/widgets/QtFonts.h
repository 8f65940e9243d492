// Font names the windows were designed with, mapped to fonts this system has.
#pragma once

namespace quillmark {

// Call once at start-up, before any window is created.
void installFontSubstitutes();

}  // namespace quillmark
