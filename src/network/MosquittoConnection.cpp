#include "network/MosquittoConnection.h"

#include <QFileInfo>
#include <QMetaObject>

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quillmark {

namespace {

// How long one turn of the network thread waits for the socket before it looks at the time
// (keep-alive, a stop asked for).
constexpr int kLoopWaitMs = 250;
// A goodbye that the network does not take within this is given up.
constexpr std::chrono::seconds kFarewellTime{2};

QString errorText(int code) {
    if (code == MOSQ_ERR_ERRNO) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    return QString::fromUtf8(mosquitto_strerror(code));
}

}  // namespace

MosquittoConnection::MosquittoConnection(const MqttTarget& target, const QByteArray& password,
                                         const QString& caFile)
    : target_(target),
      host_(target.host.toUtf8()),
      user_(target.user.toUtf8()),
      password_(password) {
    static const int libraryReady = mosquitto_lib_init();
    (void)libraryReady;
    // The library makes up a client name of its own, unique for each logger of a fleet; a
    // clean session, because samples missed while away are not wanted later.
    client_ = mosquitto_new(nullptr, true, this);
    if (client_ == nullptr) {
        setupError_ = QStringLiteral("cannot make an MQTT client: %1").arg(errorText(MOSQ_ERR_ERRNO));
        return;
    }
    // Our own thread runs the network; the library then only queues what another thread sends.
    mosquitto_threaded_set(client_, true);
    mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(client_, &MosquittoConnection::onConnect);
    mosquitto_disconnect_callback_set(client_, &MosquittoConnection::onDisconnect);
    if (!user_.isEmpty()) {
        mosquitto_username_pw_set(client_, user_.constData(), password_.constData());
    }
    if (target.tls) {
        const QByteArray ca = caFile.toLocal8Bit();
        const int code =
            caFile.isEmpty()
                ? mosquitto_int_option(client_, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                : mosquitto_tls_set(client_, ca.constData(), nullptr, nullptr, nullptr, nullptr);
        if (code != MOSQ_ERR_SUCCESS) {
            setupError_ = QStringLiteral("cannot use %1 for TLS: %2")
                              .arg(caFile.isEmpty() ? QStringLiteral("the system's certificates")
                                                    : caFile,
                                   errorText(code));
        }
    }
}

MosquittoConnection::~MosquittoConnection() {
    if (thread_.joinable()) {
        close({});
    }
    if (client_ != nullptr) {
        mosquitto_destroy(client_);
    }
}

void MosquittoConnection::open(const MqttMessage& will, Listener listener) {
    if (client_ == nullptr || thread_.joinable()) {
        return;
    }
    listener_ = std::move(listener);
    mosquitto_will_set(client_, will.topic.constData(), int(will.payload.size()),
                       will.payload.constData(), int(will.qos), will.retain);
    thread_ = std::thread([this] { run(); });
}

bool MosquittoConnection::publish(const MqttMessage& message) {
    const std::lock_guard lock(mutex_);
    if (!connected_ || stopAt_) {
        return false;
    }
    // The library copies the packet into its queue and wakes the network thread.
    return mosquitto_publish(client_, nullptr, message.topic.constData(),
                             int(message.payload.size()), message.payload.constData(),
                             int(message.qos), message.retain) == MOSQ_ERR_SUCCESS;
}

void MosquittoConnection::close(const MqttMessage& farewell) {
    if (!thread_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        if (connected_ && !farewell.topic.isEmpty()) {
            mosquitto_publish(client_, nullptr, farewell.topic.constData(),
                              int(farewell.payload.size()), farewell.payload.constData(),
                              int(farewell.qos), farewell.retain);
        }
        if (connected_) {
            // Queued after the farewell: the thread writes both, then the socket closes.
            mosquitto_disconnect(client_);
        }
        stopAt_ = std::chrono::steady_clock::now() + kFarewellTime;
    }
    wake_.notify_all();
    thread_.join();
}

void MosquittoConnection::onConnect(mosquitto* /*client*/, void* self, int code) {
    auto* connection = static_cast<MosquittoConnection*>(self);
    if (code == 0) {
        connection->connected_ = true;
        connection->tell({MqttState::Connected, {}});
    } else {
        connection->refusal_ = code;
    }
}

void MosquittoConnection::onDisconnect(mosquitto* /*client*/, void* self, int /*code*/) {
    static_cast<MosquittoConnection*>(self)->connected_ = false;
}

void MosquittoConnection::run() {
    std::chrono::seconds delay = kMqttFirstRetry;
    std::optional<MqttState> told;
    for (bool first = true; !stopping(); first = false) {
        const MqttChange ended = connectOnce(first);
        if (stopping()) {
            return;
        }
        // A connection that stood starts the waits from the beginning again.
        if (ended.state == MqttState::Lost) {
            delay = kMqttFirstRetry;
        }
        tell(ended);
        waitBeforeRetry(delay);
        delay = std::min(delay * 2, kMqttLongestRetry);
    }
}

MqttChange MosquittoConnection::connectOnce(bool first) {
    {
        const std::lock_guard lock(mutex_);
        connected_ = false;
        refusal_ = 0;
    }
    // Connecting does not wait for the broker's answer; a name lookup may take a moment.
    int code = first ? mosquitto_connect_async(client_, host_.constData(), target_.port,
                                               kMqttKeepAliveSeconds)
                     : mosquitto_reconnect_async(client_);
    bool wasConnected = false;
    while (code == MOSQ_ERR_SUCCESS) {
        {
            const std::lock_guard lock(mutex_);
            wasConnected = wasConnected || connected_;
            if (stopAt_ && (!connected_ || std::chrono::steady_clock::now() >= *stopAt_)) {
                break;
            }
        }
        code = mosquitto_loop(client_, kLoopWaitMs, 1);
    }
    const QString reason = errorText(code);
    connected_ = false;
    if (const int refusal = refusal_; refusal != 0) {
        return {MqttState::Refused, QString::fromUtf8(mosquitto_connack_string(refusal))};
    }
    return {wasConnected ? MqttState::Lost : MqttState::Unreachable, reason};
}

void MosquittoConnection::tell(const MqttChange& change) {
    QMetaObject::invokeMethod(
        &receiver_, [this, change] { listener_(change); }, Qt::QueuedConnection);
}

void MosquittoConnection::waitBeforeRetry(std::chrono::seconds delay) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, delay, [this] { return stopAt_.has_value(); });
}

bool MosquittoConnection::stopping() const {
    const std::lock_guard lock(mutex_);
    return stopAt_.has_value();
}

}  // namespace quillmark
