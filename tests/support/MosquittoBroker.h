// Debian's MQTT broker and subscriber for tests: `mosquitto` on a free loopback port with a
// configuration file of its own (anonymous, or one user and password), stopped and started
// again on the same port; `mosquitto_sub` as the independent reader, each message stamped
// with its arrival. Every wait is bounded.
#pragma once

#include "SelfSignedCertificate.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <functional>

namespace quillmark::test {

inline const QString kMosquittoProgram = QStringLiteral("/usr/sbin/mosquitto");

// A loopback port nobody listens on at this moment.
inline quint16 freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

inline bool acceptsConnections(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return open;
}

class MosquittoBroker {
public:
    static bool available() { return QFile::exists(kMosquittoProgram); }

    MosquittoBroker() : port_(freeLoopbackPort()) {}
    ~MosquittoBroker() { stop(); }

    quint16 port() const { return port_; }
    QString link(const QString& prefix, const QString& user = {}) const {
        const QString login = user.isEmpty() ? QString() : user + '@';
        return QStringLiteral("mqtt://") + login +
               QStringLiteral("127.0.0.1:%1/%2").arg(port_).arg(prefix);
    }

    // From the next start, only this user with this password may connect.
    bool requireLogin(const QString& user, const QString& password) {
        const QString file = dir_.filePath(QStringLiteral("passwords"));
        QFile::remove(file);
        QProcess tool;
        tool.start(QStringLiteral("mosquitto_passwd"),
                   {QStringLiteral("-b"), QStringLiteral("-c"), file, user, password});
        login_ = tool.waitForFinished(10000) && tool.exitCode() == 0;
        return login_;
    }

    // From the next start, only TLS, with a certificate of its own for 127.0.0.1 (made with
    // openssl); returns the certificate's file, which a client checks the broker against.
    QString requireTls() {
        tls_ = makeSelfSignedCertificate(dir_.path());
        return tls_ ? dir_.filePath(QStringLiteral("cert.pem")) : QString();
    }

    // Starts the broker and waits until it listens; false when it did not within 10 s.
    bool start() {
        QFile config(dir_.filePath(QStringLiteral("mosquitto.conf")));
        QByteArray text = "listener " + QByteArray::number(port_) +
                          " 127.0.0.1\npersistence false\nlog_dest stderr\n";
        // Started by root, the broker would become the user mosquitto, who cannot read this
        // test's private folder.
        if (::geteuid() == 0) {
            text += "user root\n";
        }
        if (tls_) {
            text += "certfile " + dir_.filePath(QStringLiteral("cert.pem")).toLocal8Bit() +
                    "\nkeyfile " + dir_.filePath(QStringLiteral("key.pem")).toLocal8Bit() + '\n';
        }
        text += login_ ? "allow_anonymous false\npassword_file " +
                             dir_.filePath(QStringLiteral("passwords")).toLocal8Bit() + '\n'
                       : QByteArray("allow_anonymous true\n");
        if (!config.open(QIODevice::WriteOnly) || config.write(text) != text.size()) {
            return false;
        }
        config.close();
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(kMosquittoProgram, {QStringLiteral("-c"), config.fileName()});
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000 && process_.state() != QProcess::NotRunning) {
            if (acceptsConnections(port_)) {
                return true;
            }
            QTest::qWait(20);
        }
        return false;
    }

    void stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000)) {
                process_.kill();
                process_.waitForFinished(5000);
            }
        }
    }

private:
    QTemporaryDir dir_;
    quint16 port_;
    bool login_ = false;
    bool tls_ = false;
    QProcess process_;
};

// mosquitto_sub reading every topic under a filter; each message with the moment it arrived.
class MqttReader {
public:
    struct Message {
        double arrival = 0;  // seconds since 1970, as mosquitto_sub stamps it
        bool retained = false;
        QString topic;
        QByteArray payload;
    };

    void start(quint16 port, const QString& filter, const QString& user = {},
               const QString& password = {}) {
        QStringList args{QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                         QStringLiteral("-p"), QString::number(port),
                         QStringLiteral("-q"), QStringLiteral("1"),
                         QStringLiteral("-t"), filter,
                         QStringLiteral("-F"), QStringLiteral("%U %r %t %p")};
        if (!user.isEmpty()) {
            args << QStringLiteral("-u") << user << QStringLiteral("-P") << password;
        }
        process_.start(QStringLiteral("mosquitto_sub"), args);
        process_.waitForStarted(5000);
    }
    ~MqttReader() {
        process_.kill();
        process_.waitForFinished(5000);
    }

    // Reads what arrived; returns true once `found` holds for a message, or false after `ms`.
    bool waitFor(const std::function<bool(const Message&)>& found, int ms) {
        QElapsedTimer timer;
        timer.start();
        qsizetype checked = 0;
        for (;;) {
            read();
            for (; checked < messages_.size(); ++checked) {
                if (found(messages_[checked])) {
                    return true;
                }
            }
            if (timer.elapsed() >= ms) {
                return false;
            }
            if (!process_.waitForReadyRead(50)) {
                QTest::qWait(20);  // it ended, or nothing came
            }
        }
    }
    bool waitForTopic(const QString& topic, int ms) {
        return waitFor([&](const Message& m) { return m.topic == topic; }, ms);
    }

    const QList<Message>& messages() {
        read();
        return messages_;
    }
    QList<Message> on(const QString& topic) {
        QList<Message> found;
        for (const Message& m : messages()) {
            if (m.topic == topic) {
                found << m;
            }
        }
        return found;
    }

private:
    void read() {
        pending_ += process_.readAllStandardOutput();
        for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
            const QByteArray line = pending_.left(end);
            pending_.remove(0, end + 1);
            const QList<QByteArray> head = line.split(' ');
            if (head.size() < 4) {
                continue;
            }
            const qsizetype payloadAt = head[0].size() + head[1].size() + head[2].size() + 3;
            messages_.push_back({head[0].toDouble(), head[1] == "1", QString::fromUtf8(head[2]),
                                 line.mid(payloadAt)});
        }
    }

    QProcess process_;
    QByteArray pending_;
    QList<Message> messages_;
};

}  // namespace quillmark::test
