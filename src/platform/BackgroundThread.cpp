#include "platform/BackgroundThread.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#elif defined(Q_OS_LINUX)
#include <sys/resource.h>
#include <unistd.h>
#else
#include <QThread>
#endif

namespace quillmark {

namespace {

// Under the polling's 0: such a thread gets about a tenth of a core that other work wants.
constexpr int kBackgroundNice = 10;

}  // namespace

void runInBackground() {
#ifdef Q_OS_WIN
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#elif defined(Q_OS_LINUX)
    // Linux gives each thread a nice value of its own, addressed by its thread id; Qt's thread
    // priorities change nothing under the normal scheduling policy.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
#else
    QThread::currentThread()->setPriority(QThread::LowPriority);
#endif
}

}  // namespace quillmark
