#include "platform/DeviceHolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace quillmark {

namespace {

// The number of a pseudo-terminal's device (/dev/pts/N); none for any other device.
std::optional<int> ptyIndex(const QString& canonicalDevice) {
    static const QString kPts = QStringLiteral("/dev/pts/");
    bool isNumber = false;
    const int index = canonicalDevice.startsWith(kPts)
                          ? canonicalDevice.mid(kPts.size()).toInt(&isNumber)
                          : 0;
    return isNumber ? std::optional(index) : std::nullopt;
}

// Whether the descriptor is the master side of pseudo-terminal `index`: the program that made
// the terminal (a simulator, a terminal window) is its other end, not a second reader.
bool isPtyMaster(const QDir& process, const QString& fd, int index) {
    if (!QFileInfo(process.filePath(QStringLiteral("fd/") + fd)).symLinkTarget().endsWith(
            QStringLiteral("ptmx"))) {
        return false;
    }
    QFile info(process.filePath(QStringLiteral("fdinfo/") + fd));
    if (!info.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray wanted = "tty-index:\t" + QByteArray::number(index) + '\n';
    return info.readAll().contains(wanted);
}

}  // namespace

QList<DeviceHolder> otherHoldersOf(const QString& device) {
#ifdef Q_OS_LINUX
    return otherHoldersOf(device, QStringLiteral("/proc"), QCoreApplication::applicationPid());
#else
    (void)device;
    return {};
#endif
}

QList<DeviceHolder> otherHoldersOf(const QString& device, const QString& procRoot,
                                   qint64 ownPid) {
    const QString target = QFileInfo(device).canonicalFilePath();
    QList<DeviceHolder> holders;
    if (target.isEmpty()) {
        return holders;
    }
    const QDir proc(procRoot);
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid || pid == ownPid) {
            continue;
        }
        // A process that ended meanwhile, or one of another user's, shows no descriptors.
        const QDir fds(proc.filePath(entry + QStringLiteral("/fd")));
        const QStringList descriptors = fds.entryList(QDir::System | QDir::NoDotAndDotDot);
        const bool holds = std::any_of(descriptors.begin(), descriptors.end(), [&](const QString& fd) {
            return QFileInfo(fds.filePath(fd)).symLinkTarget() == target;
        });
        if (!holds) {
            continue;
        }
        if (const auto index = ptyIndex(target)) {
            const QDir process(proc.filePath(entry));
            if (std::any_of(descriptors.begin(), descriptors.end(),
                            [&](const QString& fd) { return isPtyMaster(process, fd, *index); })) {
                continue;
            }
        }
        QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
        QString program = comm.open(QIODevice::ReadOnly)
                              ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                              : QString();
        holders.append({pid, program.isEmpty() ? QStringLiteral("another program") : program});
    }
    return holders;
}

QString alsoOpenText(const QString& device, const QList<DeviceHolder>& holders) {
    if (holders.isEmpty()) {
        return {};
    }
    QStringList programs;
    for (const DeviceHolder& holder : holders) {
        programs.append(QStringLiteral("%1 (pid %2)").arg(holder.program).arg(holder.pid));
    }
    return QStringLiteral("%1 is also open in %2").arg(device, programs.join(QStringLiteral(", ")));
}

}  // namespace quillmark
