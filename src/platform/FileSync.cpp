#include "platform/FileSync.h"

#include <QFileDevice>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>

#include <cerrno>
#endif

namespace quillmark {

QString syncData(QFileDevice& file) {
    // An unbuffered file has nothing in Qt's buffer; a buffered one hands it to the system first.
    if (!file.flush()) {
        return file.errorString();
    }
    const int fd = file.handle();
    if (fd < 0) {
        return QStringLiteral("the file is not open");
    }
#ifdef Q_OS_WIN
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fd)))) {
        return QStringLiteral("the data could not be written to the disk");
    }
#else
    int result = 0;
    do {
        result = ::fdatasync(fd);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        return qt_error_string(errno);
    }
#endif
    return {};
}

}  // namespace quillmark
