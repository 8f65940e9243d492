// A long run of the real program against the simulated module on a pseudo-terminal, with time
// compressed: the clock runs fast, so the one-second deadline and the 2 ms pauses shrink, and
// the polling timer ticks sooner. Seeded random faults hit the module and the line while the
// user answers every box at random. It fails at once when no tick completes for 10 s of the
// compressed clock, and at the end when memory grows with the ticks after warm-up, descriptors
// grow at all, a command went out from inside another transaction's yield, a fault the program
// can see went unreported, or some kind of fault was hardly injected.
#include "ProgramHarness.h"
#include "platform/LineErrorCounters.h"
#include "sim/FaultMode.h"

#include <QDir>
#include <QTimer>

#include <array>
#include <map>
#include <random>
#include <vector>

using namespace quillmark;
using namespace quillmark::test;
using namespace std::chrono_literals;

namespace {

constexpr int kCompression = 50;  // 500 ms ticks every 10 ms, a 20 ms deadline
constexpr int kDefaultTicks = 1000;
constexpr std::uint32_t kDefaultSeed = 20261207;
constexpr double kFaultChancePerRound = 0.3;
// Resident memory may grow by this much per tick after warm-up, fitted over several samples:
// a leak of a row's worth per tick shows, the simulator's bounded command log filling does not.
constexpr double kRssSlopeBoundKbPerTick = 2.0;
constexpr int kRssSamples = 8;
// The longest a tick may take to come round, on the compressed clock: a bring-up that fails
// all its attempts takes 5 s, a read that times out 1 s.
constexpr std::chrono::seconds kProgressDeadline{10};
constexpr int kDescriptorGrowthBound = 0;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Real time, run faster.
class FastClock final : public Clock {
public:
    std::chrono::nanoseconds now() const override {
        return (std::chrono::steady_clock::now() - start_) * kCompression + 1h;
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The event pump with its sleeps shortened to match the clock. It also remembers whether it
// is yielding from inside a link transaction, when no new command may go out.
class WatchedPump final : public EventPump {
public:
    WatchedPump(EventPump& inner, std::function<bool()> linkBusy)
        : inner_(inner), linkBusy_(std::move(linkBusy)) {}
    void yield() override {
        const Inside inside(*this);
        inner_.yield();
    }
    void waitForEvents(std::chrono::nanoseconds timeout) override {
        const Inside inside(*this);
        inner_.waitForEvents(timeout / kCompression);
    }
    bool insideTransaction() const { return insideBusy_ > 0; }

private:
    struct Inside {
        explicit Inside(WatchedPump& pump) : pump_(pump), busy_(pump.linkBusy_()) {
            pump_.insideBusy_ += busy_ ? 1 : 0;
        }
        ~Inside() { pump_.insideBusy_ -= busy_ ? 1 : 0; }
        WatchedPump& pump_;
        bool busy_;
    };
    EventPump& inner_;
    std::function<bool()> linkBusy_;
    int insideBusy_ = 0;
};

// The real port, with its sleeps shortened and every command checked against interleaving.
class WatchedPort final : public SerialPort {
public:
    WatchedPort(SerialPort& inner, const WatchedPump& pump) : inner_(inner), pump_(pump) {}
    int interleaved = 0;
    int commands = 0;

    bool isOpen() const override { return inner_.isOpen(); }
    void setPort(const QString& name, const QString& device) override {
        inner_.setPort(name, device);
    }
    void open() override { inner_.open(); }
    void close() override { inner_.close(); }
    void discardInput() override { inner_.discardInput(); }
    int waitingCount() override { return inner_.waitingCount(); }
    void write(const QByteArray& bytes) override {
        ++commands;
        interleaved += pump_.insideTransaction() ? 1 : 0;
        inner_.write(bytes);
    }
    std::uint8_t readOne() override { return inner_.readOne(); }
    LineEvent lastEvent() const override { return inner_.lastEvent(); }
    void applySettings(const LineSettings& settings) override { inner_.applySettings(settings); }
    void waitForInput(std::chrono::nanoseconds timeout) override {
        inner_.waitForInput(timeout / kCompression);
    }
    void setEventHandler(std::function<void()> handler) override {
        inner_.setEventHandler(std::move(handler));
    }
    QString otherHolders() const override { return inner_.otherHolders(); }

private:
    SerialPort& inner_;
    const WatchedPump& pump_;
};

long residentKb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (::sysconf(_SC_PAGESIZE) / 1024) : -1;
}

int openDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files)
                   .size());
}

enum class Kind { Silent, Short, SingleByte, Late, Garbage, Doubled, ExtraBytes, Parity, Overrun };
struct FaultKind {
    Kind kind;
    const char* name;
    sim::FaultMode mode;
    bool visible;  // the program can tell and must report it
};
constexpr std::array kKinds{
    FaultKind{Kind::Silent, "silent", sim::FaultMode::Silent, true},
    FaultKind{Kind::Short, "short", sim::FaultMode::ShortAnswer, true},
    FaultKind{Kind::SingleByte, "single-byte", sim::FaultMode::SingleByte, true},
    FaultKind{Kind::Late, "late", sim::FaultMode::LateAnswer, true},
    FaultKind{Kind::Garbage, "garbage", sim::FaultMode::Garbage, false},
    FaultKind{Kind::Doubled, "doubled", sim::FaultMode::Doubled, false},
    FaultKind{Kind::ExtraBytes, "extra-bytes", sim::FaultMode::ExtraBytes, false},
    // Ignored, or the port closed silently, while the panel runs.
    FaultKind{Kind::Parity, "parity error", sim::FaultMode::None, false},
    FaultKind{Kind::Overrun, "overrun", sim::FaultMode::None, false},
};
constexpr std::array<std::uint8_t, 9> kTickCommands{0x2F, 0x22, 0x2B, 0x2C, 0x26,
                                                    0x27, 0x29, 0x2A, 0x2D};

struct SoakRig : ProgramDesk {
    SimulatedModule module{false};
    MemorySettingsStore settings;
    QtSerialPort realPort;
    FastClock clock;
    QtEventPump realPump;
    frmMain* logicPtr = nullptr;
    WatchedPump pump{realPump, [this] { return logicPtr->link().activity().busy(); }};
    WatchedPort port{realPort, pump};
    frmMain logic{platformOn(port, clock, pump, settings), state, branding, window};
    std::optional<LineCounters> counters = LineCounters{};

    explicit SoakRig(std::mt19937& random) {
        logicPtr = &logic;
        module.registerAs(settings, 1);
        realPort.setCounterSource([this](std::intptr_t) { return counters; });
        boxes.whileOpen = [this, &random] {
            const BoxStyle style = boxes.shown.last().style;
            pump.yield();
            static constexpr std::array kErrorAnswers{BoxAnswer::Abort, BoxAnswer::Retry,
                                                      BoxAnswer::Ignore};
            static constexpr std::array kRetryCancel{BoxAnswer::Retry, BoxAnswer::Cancel};
            BoxAnswer answer = BoxAnswer::Ok;
            if (style == BoxStyle::AbortRetryIgnoreCritical) {
                answer = kErrorAnswers[random() % kErrorAnswers.size()];
            } else if (style == BoxStyle::RetryCancelCritical) {
                answer = kRetryCancel[random() % kRetryCancel.size()];
            }
            boxes.answers.push_back(answer);
        };
        StartMainWindow(window, logic);
        window.findChild<QTimer*>(QStringLiteral("tmrDataRead"))->setInterval(500 / kCompression);
    }
    ~SoakRig() {
        if (realPort.isOpen()) {
            realPort.close();
        }
    }
    bool idle() const { return !logicPtr->link().activity().busy(); }
    // Samples with the panel closed, as the user would close it, so that the open port and
    // its lock file do not count: only what is left behind does.
    std::pair<long, int> sample() {
        (void)QTest::qWaitFor([&] { return idle(); }, 3000);
        if (state.RealTimeActive) {
            logic.cmdCloseRealTimeData_Click();
        }
        return {residentKb(), openDescriptors()};
    }
};

// The least-squares slope of y over x.
double slope(const std::vector<std::pair<double, double>>& points) {
    double meanX = 0;
    double meanY = 0;
    for (const auto& [x, y] : points) {
        meanX += x / double(points.size());
        meanY += y / double(points.size());
    }
    double covariance = 0;
    double variance = 0;
    for (const auto& [x, y] : points) {
        covariance += (x - meanX) * (y - meanY);
        variance += (x - meanX) * (x - meanX);
    }
    return variance > 0 ? covariance / variance : 0.0;
}

int environmentNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

}  // namespace

class SoakTest final : public QObject {
    Q_OBJECT
private slots:
    void seededFaultsOverManyTicks() {
        const auto seed = std::uint32_t(environmentNumber("QUILLMARK_SOAK_SEED", kDefaultSeed));
        const int ticks = environmentNumber("QUILLMARK_SOAK_TICKS", kDefaultTicks);
        const int warmUp = ticks / 4;
        std::mt19937 random(seed);
        SoakRig rig(random);

        std::map<std::string, int> injected;
        std::map<std::string, int> unreported;
        std::uint64_t logRead = 0;
        int ticksRun = 0;
        const auto countTicks = [&] {
            for (const auto& entry : rig.module.engine.log().entriesFrom(logRead)) {
                ticksRun += entry.command == 0x2F ? 1 : 0;
                logRead = entry.sequence + 1;
            }
        };
        const auto [rssStart, fdsStart] = rig.sample();
        long rssWarm = -1;
        int fdsWarm = -1;
        std::vector<std::pair<double, double>> rssAfterWarmUp;  // (ticks, kB)
        const int sampleEvery = std::max(1, (ticks - warmUp) / kRssSamples);
        int viewsOpened = 0;
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        int ticksAtProgress = 0;
        auto progressAt = rig.clock.now();
        const auto lastSeen = [&] {
            const auto from = rig.module.logged() > 18 ? rig.module.logged() - 18 : 0;
            QStringList commands;
            for (const int command : rig.module.commands(from)) {
                commands << QString::number(command, 16);
            }
            return QStringLiteral("after %1 ticks: panel %2, link %3, last commands %4, last box %5")
                .arg(ticksRun)
                .arg(rig.state.RealTimeActive ? "open" : "closed", rig.idle() ? "idle" : "busy",
                     commands.join(' '),
                     rig.boxes.shown.isEmpty() ? QStringLiteral("none")
                                               : rig.boxes.shown.last().text);
        };

        while (ticksRun < ticks) {
            if (!rig.logic.link().activity().busy() && !rig.state.RealTimeActive) {
                ++viewsOpened;
                rig.logic.mnuViewRealTime_Click();  // the user opens the panel again
            }
            const FaultKind* fault = nullptr;
            std::uint8_t command = 0;
            if (rig.state.RealTimeActive && chance(random) < kFaultChancePerRound) {
                fault = &kKinds[random() % kKinds.size()];
                command = kTickCommands[random() % kTickCommands.size()];
            }
            const auto boxesBefore = rig.boxes.shown.size();
            const auto logFrom = rig.module.logged();
            if (fault != nullptr && fault->mode != sim::FaultMode::None) {
                rig.module.engine.setFault(command, fault->mode);
            } else if (fault != nullptr && fault->kind == Kind::Parity) {
                rig.counters->parity += 1;
            } else if (fault != nullptr) {
                rig.counters->overrun += 1;
            }
            // Long enough for the faulted command to come round and its transaction to end.
            (void)QTest::qWaitFor(
                [&] { return rig.module.commands(logFrom).contains(command) && rig.idle(); },
                fault != nullptr ? 400 : 30);
            (void)QTest::qWaitFor([&] { return rig.idle(); }, 3000);
            rig.module.engine.clearFaults();
            if (fault != nullptr && rig.module.commands(logFrom).contains(command)) {
                ++injected[fault->name];
                if (fault->visible && rig.boxes.shown.size() == boxesBefore) {
                    ++unreported[fault->name];
                }
            }
            countTicks();
            if (ticksRun > ticksAtProgress) {
                ticksAtProgress = ticksRun;
                progressAt = rig.clock.now();
            } else if (rig.clock.now() - progressAt > kProgressDeadline) {
                QFAIL(qPrintable(QStringLiteral("no tick for %1 s of the compressed clock %2")
                                     .arg(kProgressDeadline.count())
                                     .arg(lastSeen())));
            }
            const bool sampling =
                ticksRun >= warmUp && ticksRun - warmUp >= int(rssAfterWarmUp.size()) * sampleEvery;
            if (sampling) {
                const auto [rss, fds] = rig.sample();
                if (rssWarm < 0) {
                    std::tie(rssWarm, fdsWarm) = std::tie(rss, fds);
                }
                rssAfterWarmUp.emplace_back(ticksRun, rss);
                progressAt = rig.clock.now();  // the pause to sample is not the program's
            }
        }
        const auto [rssEnd, fdsEnd] = rig.sample();
        rssAfterWarmUp.emplace_back(ticksRun, rssEnd);
        const double rssSlope = slope(rssAfterWarmUp);

        QStringList kinds;
        for (const auto& [name, count] : injected) {
            kinds << QStringLiteral("%1 %2").arg(QString::fromStdString(name)).arg(count);
        }
        qInfo("soak seed %u: %d ticks, %d commands, %lld boxes, %d views opened", seed, ticksRun,
              rig.port.commands, qlonglong(rig.boxes.shown.size()), viewsOpened);
        qInfo("faults injected: %s", qPrintable(kinds.join(QStringLiteral(", "))));
        qInfo("RSS kB start %ld, after warm-up %ld, end %ld (%.3f kB a tick over %d samples); "
              "descriptors %d, %d, %d",
              rssStart, rssWarm, rssEnd, rssSlope, int(rssAfterWarmUp.size()), fdsStart, fdsWarm,
              fdsEnd);
        QCOMPARE(rig.port.interleaved, 0);
        QVERIFY2(unreported.empty(),
                 qPrintable(QStringLiteral("%1 unreported kinds, e.g. %2")
                                .arg(unreported.size())
                                .arg(unreported.empty()
                                         ? QString()
                                         : QString::fromStdString(unreported.begin()->first))));
        // AddressSanitizer holds freed memory back in its quarantine, so resident memory grows
        // there by design; its leak checker watches that build instead.
        if (!kAddressSanitizer) {
            QVERIFY2(rssSlope <= kRssSlopeBoundKbPerTick, "memory grows with the ticks");
        }
        // Every kind was tried often enough to mean something: a run whose faults never came
        // round proves nothing about them.
        const int leastOfAKind = std::max(1, ticks / 100);
        for (const FaultKind& kind : kKinds) {
            QVERIFY2(injected[kind.name] >= leastOfAKind,
                     qPrintable(QStringLiteral("%1 injected %2 times, fewer than %3")
                                    .arg(QString::fromLatin1(kind.name))
                                    .arg(injected[kind.name])
                                    .arg(leastOfAKind)));
        }
        QVERIFY2(fdsEnd - fdsWarm <= kDescriptorGrowthBound, "descriptors grew after warm-up");
    }
};

QTEST_MAIN(SoakTest)
#include "SoakTest.moc"
