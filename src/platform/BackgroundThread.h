// Work that may take all the time it needs but must never be in the way of the polling: the
// calling thread gives way to every other thread of the machine that wants a core.
#pragma once

namespace quillmark {

// Lowers the calling thread's priority for good (on Linux its nice value to 10, which an
// unprivileged thread cannot raise again; on Windows below normal).
void runInBackground();

}  // namespace quillmark
