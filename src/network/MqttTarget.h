// Where the logger publishes: the broker and the topic prefix from an mqtt:// or mqtts:// link,
// and the password, which only ever comes from a file of its own.
#pragma once

#include <QByteArray>
#include <QString>

namespace quillmark {

inline constexpr quint16 kMqttPort = 1883;
inline constexpr quint16 kMqttTlsPort = 8883;

struct MqttTarget {
    bool tls = false;  // mqtts://
    QString user;      // empty: the broker takes anonymous clients
    QString host;      // a name or an address; an IPv6 address without its brackets
    quint16 port = kMqttPort;
    QString prefix;  // "fleet/bike7": the topics are fleet/bike7/live, .../status...

    QByteArray topic(const char* leaf) const { return (prefix + '/' + leaf).toUtf8(); }
    // "mqtt://rider@broker.local:1883/fleet/bike7", for messages; it never holds a password.
    QString link() const;
};

struct ParsedMqttTarget {
    MqttTarget target;
    QString error;  // what is wrong with the link, without repeating it; empty when good
};

ParsedMqttTarget parseMqttTarget(const QString& link);

struct MqttPasswordFile {
    QByteArray password;
    QString error;  // names the file; empty when it was read
};

// The file's first line, without its line end. An empty first line is an empty password.
MqttPasswordFile readMqttPasswordFile(const QString& path);

}  // namespace quillmark
