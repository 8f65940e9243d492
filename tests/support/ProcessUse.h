// Processor seconds (user and system) and resident kilobytes of a running process, from /proc.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <unistd.h>

namespace quillmark::test {

struct ProcessUse {
    double cpuSeconds = 0;
    long rssKb = 0;
};

inline ProcessUse useOf(qint64 pid) {
    ProcessUse use;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        // Fields 14 and 15 of the line (utime, stime) are 11 and 12 after the name.
        use.cpuSeconds = (fields.value(11).toDouble() + fields.value(12).toDouble()) /
                         double(::sysconf(_SC_CLK_TCK));
    }
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                use.rssKb = line.mid(6).trimmed().split(' ').value(0).toLong();
            }
        }
    }
    return use;
}

}  // namespace quillmark::test
