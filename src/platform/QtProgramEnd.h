// Ends the process at once, as closing the main window must.
#pragma once

#include "platform/ProgramEnd.h"

namespace quillmark {

class QtProgramEnd final : public ProgramEnd {
public:
    [[noreturn]] void endNow() override;
};

}  // namespace quillmark
