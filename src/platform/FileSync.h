// Pushing a file's written data through to the disk, so that a power cut cannot take it.
#pragma once

#include <QString>

class QFileDevice;

namespace quillmark {

// The data of an open file on the disk itself (fdatasync; FlushFileBuffers on Windows).
// Returns an empty text, or why it failed.
QString syncData(QFileDevice& file);

}  // namespace quillmark
