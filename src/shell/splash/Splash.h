// Start-up's splash window: shown modally until its timer closes it.
#pragma once

namespace quillmark {

class Files;
class MessageBoxes;
struct BrandingLines;

// Fills `branding` from the branding file and returns once the
// splash window has closed, about 4000 ms after it was created.
void showSplash(Files& files, MessageBoxes& boxes, BrandingLines& branding);

}  // namespace quillmark
