// Ending the program at once.
#pragma once

namespace quillmark {

class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    // No further events run after this; stored settings are already on disk.
    virtual void endNow() = 0;
};

}  // namespace quillmark
