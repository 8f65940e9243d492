// The broker connection through libmosquitto, on a thread of its own: that thread connects,
// writes and reads the socket, and after a failure waits 1 s, then 2, 4... up to 30 s before
// the next try. A publish only queues its packet and wakes that thread, so the polling never
// waits for the network. Once-at-most messages that find no connection are dropped at once,
// so an absent broker costs no memory.
#pragma once

#include "network/MqttConnection.h"
#include "network/MqttTarget.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

struct mosquitto;

namespace quillmark {

inline constexpr std::chrono::seconds kMqttFirstRetry{1};
inline constexpr std::chrono::seconds kMqttLongestRetry{30};
// The broker and this client each notice a dead connection within about 1.5 times this.
inline constexpr int kMqttKeepAliveSeconds = 10;

class MosquittoConnection final : public MqttConnection {
public:
    // `caFile` (mqtts:// only) holds the certificates the broker's is checked against; empty:
    // the system's.
    MosquittoConnection(const MqttTarget& target, const QByteArray& password,
                        const QString& caFile);
    ~MosquittoConnection() override;

    MosquittoConnection(const MosquittoConnection&) = delete;
    MosquittoConnection& operator=(const MosquittoConnection&) = delete;

    // Why the client could not be set up (a TLS file it cannot use); empty when it can run.
    const QString& setupError() const { return setupError_; }

    void open(const MqttMessage& will, Listener listener) override;
    bool publish(const MqttMessage& message) override;
    void close(const MqttMessage& farewell) override;

private:
    static void onConnect(mosquitto* client, void* self, int code);
    static void onDisconnect(mosquitto* client, void* self, int code);

    void run();
    // One connection from its first try to its end; returns how it ended.
    MqttChange connectOnce(bool first);
    void tell(const MqttChange& change);
    void waitBeforeRetry(std::chrono::seconds delay);
    bool stopping() const;

    MqttTarget target_;
    QByteArray host_;
    QByteArray user_;
    QByteArray password_;
    QString setupError_;
    mosquitto* client_ = nullptr;
    Listener listener_;
    QObject receiver_;  // lives on the opening thread: changes are told through its queue

    // Held while a packet is queued and while the thread starts a new connection, so that
    // nothing is queued between a broken connection and the next CONNECT. The library's
    // callbacks run under its own locks and so touch only the atomics.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> connected_ = false;
    std::atomic<int> refusal_ = 0;  // the broker's CONNACK code when it turned the login down
    std::optional<std::chrono::steady_clock::time_point> stopAt_;
    std::thread thread_;
};

}  // namespace quillmark
