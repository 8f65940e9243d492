// A long run of the real program against the simulated module on a pseudo-terminal, on a
// stepped clock: time moves only when the program waits, by what it waits, and only once the
// module has answered everything due, so the one-second deadline and the 2 ms pauses cost no
// real time and a seed gives the same run (the same commands and boxes) on any machine. The
// test ticks the polling itself, a tick each 500 ms of that clock. Seeded random faults hit the
// module and the line while the user answers every box at random. It fails at once when no
// tick completes for 10 s of the stepped clock, and at the end when memory grows with the ticks
// after warm-up, descriptors grow at all, a command went out from inside another transaction's
// yield, a fault the program can see went unreported, or some kind of fault was hardly
// injected.
#include "ProgramHarness.h"
#include "platform/LineErrorCounters.h"
#include "sim/FaultMode.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTimer>

#include <array>
#include <atomic>
#include <map>
#include <random>
#include <vector>

using namespace quillmark;
using namespace quillmark::test;
using namespace std::chrono_literals;

namespace {

constexpr std::chrono::milliseconds kTickPeriod{500};
constexpr int kDefaultTicks = 2000;
constexpr std::uint32_t kDefaultSeed = 20261207;
constexpr double kFaultChancePerRound = 0.3;
// Resident memory may grow by this much per tick after warm-up, fitted over several samples:
// a leak of a row's worth per tick shows, the simulator's bounded command log filling does not.
constexpr double kRssSlopeBoundKbPerTick = 2.0;
constexpr int kRssSamples = 8;
// The longest a tick may take to come round, on the stepped clock: a bring-up that fails all
// its attempts takes 5 s, a read that times out 1 s.
constexpr std::chrono::seconds kProgressDeadline{10};
// How long, in real time, the module may take to catch up with the clock; far more than it
// ever needs, so that only a module or a line that stopped serving reaches it.
constexpr std::chrono::seconds kCatchUpLimit{10};
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

// The time of the program and of the module; it moves only when told.
class SteppedClock final : public Clock {
public:
    std::chrono::nanoseconds now() const override { return now_.load(); }
    std::chrono::steady_clock::time_point timePoint() const {
        return std::chrono::steady_clock::time_point(
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(now_.load()));
    }
    void moveTo(std::chrono::nanoseconds at) {
        if (at > now_.load()) {
            now_ = at;
        }
    }

private:
    std::atomic<std::chrono::nanoseconds> now_{1h};
};

// Keeps the module and the program's port in step with the clock: before the program looks at
// its input, the module has read every command byte, sent every answer byte due by now, and
// the port has taken them; a wait moves the clock to its end, or to the module's next answer
// if that comes first.
class Lockstep {
public:
    Lockstep(SteppedClock& clock, sim::PtyModule& module, QtSerialPort& port)
        : clock_(clock), module_(module), port_(port) {}

    void wrote(qsizetype bytes) { written_ += std::uint64_t(bytes); }
    void catchUp() {
        const auto limit = std::chrono::steady_clock::now() + kCatchUpLimit;
        const auto caughtUp = [this](const sim::PtyModule::Rest& rest) {
            return rest.bytesReceived >= written_ && rest.at == clock_.timePoint();
        };
        for (;;) {
            const sim::PtyModule::Rest rest = module_.waitForRest(caughtUp, kCatchUpLimit);
            if (caughtUp(rest)) {
                if (!port_.isOpen() || port_.bytesDelivered() >= rest.bytesSent) {
                    nextAnswer_ = rest.nextDue;
                    return;
                }
                port_.waitForInput(1ms);
            }
            if (std::chrono::steady_clock::now() > limit) {
                stalled_ = true;
                return;
            }
        }
    }
    void pass(std::chrono::nanoseconds wait) {
        catchUp();
        auto until = clock_.now() + std::max(wait, std::chrono::nanoseconds(1));
        if (nextAnswer_) {
            until = std::min(until, std::chrono::nanoseconds(nextAnswer_->time_since_epoch()));
        }
        clock_.moveTo(until);
        module_.notifyTimeMoved();
        catchUp();
    }
    // The module or the line stopped keeping step (a fault of the test rig, not the program).
    bool stalled() const { return stalled_; }

private:
    SteppedClock& clock_;
    sim::PtyModule& module_;
    QtSerialPort& port_;
    std::uint64_t written_ = 0;
    std::optional<std::chrono::steady_clock::time_point> nextAnswer_;
    bool stalled_ = false;
};

// The event pump on the stepped clock. It also remembers whether it is yielding from inside a
// link transaction, when no new command may go out.
class WatchedPump final : public EventPump {
public:
    WatchedPump(EventPump& inner, Lockstep& step, std::function<bool()> linkBusy)
        : inner_(inner), step_(step), linkBusy_(std::move(linkBusy)) {}
    void yield() override {
        const Inside inside(*this);
        inner_.yield();
    }
    void waitForEvents(std::chrono::nanoseconds timeout) override {
        const Inside inside(*this);
        inner_.yield();
        step_.pass(timeout);
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
    Lockstep& step_;
    std::function<bool()> linkBusy_;
    int insideBusy_ = 0;
};

// The real port on the stepped clock, with every command checked against interleaving and
// kept in a digest of the run.
class WatchedPort final : public SerialPort {
public:
    WatchedPort(SerialPort& inner, Lockstep& step, const WatchedPump& pump)
        : inner_(inner), step_(step), pump_(pump) {}
    int interleaved = 0;
    int commands = 0;
    QCryptographicHash digest{QCryptographicHash::Sha1};

    bool isOpen() const override { return inner_.isOpen(); }
    void setPort(const QString& name, const QString& device) override {
        inner_.setPort(name, device);
    }
    void open() override { inner_.open(); }
    void close() override { inner_.close(); }
    void discardInput() override {
        step_.catchUp();
        inner_.discardInput();
    }
    int waitingCount() override {
        step_.catchUp();
        return inner_.waitingCount();
    }
    void write(const QByteArray& bytes) override {
        ++commands;
        interleaved += pump_.insideTransaction() ? 1 : 0;
        digest.addData(bytes);
        inner_.write(bytes);
        step_.wrote(bytes.size());
    }
    std::uint8_t readOne() override { return inner_.readOne(); }
    LineEvent lastEvent() const override { return inner_.lastEvent(); }
    void applySettings(const LineSettings& settings) override { inner_.applySettings(settings); }
    void waitForInput(std::chrono::nanoseconds timeout) override { step_.pass(timeout); }
    void setEventHandler(std::function<void()> handler) override {
        inner_.setEventHandler(std::move(handler));
    }
    QString otherHolders() const override { return inner_.otherHolders(); }

private:
    SerialPort& inner_;
    Lockstep& step_;
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
    SteppedClock clock;
    SimulatedModule module{false, sim::Model::CorvaneIIVR, [this] { return clock.timePoint(); }};
    MemorySettingsStore settings;
    QtSerialPort realPort;
    QtEventPump realPump;
    frmMain* logicPtr = nullptr;
    Lockstep step{clock, module.pty, realPort};
    WatchedPump pump{realPump, step, [this] { return logicPtr->link().activity().busy(); }};
    WatchedPort port{realPort, step, pump};
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
        // The test ticks the polling itself, on the stepped clock.
        window.findChild<QTimer*>(QStringLiteral("tmrDataRead"))->stop();
    }
    // One period of the polling timer, and its tick.
    void tick() {
        step.pass(kTickPeriod);
        logic.tmrDataRead_Timer();
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
        if (state.panelActive) {
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
        soak(std::uint32_t(environmentNumber("QUILLMARK_SOAK_SEED", kDefaultSeed)),
             environmentNumber("QUILLMARK_SOAK_TICKS", kDefaultTicks), Checks::All);
    }

    // The same seed gives the same run: the same commands, in the same order, and the same
    // boxes. A deadline that raced real time would make them differ.
    void sameSeedGivesTheSameRun() {
        constexpr int kTicks = 150;
        soak(kDefaultSeed + 1, kTicks, Checks::Behaviour);
        const QString first = lastRun_;
        if (QTest::currentTestFailed()) {
            return;
        }
        soak(kDefaultSeed + 1, kTicks, Checks::Behaviour);
        QCOMPARE(lastRun_, first);
    }

private:
    enum class Checks { Behaviour, All };

    void soak(std::uint32_t seed, int ticks, Checks checks) {
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
            return QStringLiteral(
                       "after %1 ticks: panel %2, link %3, last commands %4, last box %5")
                .arg(ticksRun)
                .arg(rig.state.panelActive ? "open" : "closed", rig.idle() ? "idle" : "busy",
                     commands.join(' '),
                     rig.boxes.shown.isEmpty() ? QStringLiteral("none")
                                               : rig.boxes.shown.last().text);
        };

        while (ticksRun < ticks) {
            if (!rig.logic.link().activity().busy() && !rig.state.panelActive) {
                ++viewsOpened;
                rig.logic.mnuViewRealTime_Click();  // the user opens the panel again
            }
            const FaultKind* fault = nullptr;
            std::uint8_t command = 0;
            if (rig.state.panelActive && chance(random) < kFaultChancePerRound) {
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
            rig.tick();
            rig.module.engine.clearFaults();
            if (rig.step.stalled()) {
                QFAIL(qPrintable(QStringLiteral("the module stopped keeping step with the clock %1")
                                     .arg(lastSeen())));
            }
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
                QFAIL(qPrintable(QStringLiteral("no tick for %1 s of the stepped clock %2")
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
        qInfo(
            "RSS kB start %ld, after warm-up %ld, end %ld (%.3f kB a tick over %d samples); "
            "descriptors %d, %d, %d",
            rssStart, rssWarm, rssEnd, rssSlope, int(rssAfterWarmUp.size()), fdsStart, fdsWarm,
            fdsEnd);
        QByteArray boxes;
        for (const auto& box : rig.boxes.shown) {
            boxes += box.text.toUtf8() + '\n';
        }
        lastRun_ =
            QStringLiteral("%1 ticks, %2 commands (%3), %4 boxes (%5), faults %6")
                .arg(ticksRun)
                .arg(rig.port.commands)
                .arg(QString::fromLatin1(rig.port.digest.result().toHex().left(12)))
                .arg(rig.boxes.shown.size())
                .arg(
                    QString::fromLatin1(
                        QCryptographicHash::hash(boxes, QCryptographicHash::Sha1).toHex().left(12)),
                    kinds.join(QStringLiteral(", ")));
        qInfo("run: %s", qPrintable(lastRun_));
        QCOMPARE(rig.port.interleaved, 0);
        QVERIFY2(unreported.empty(),
                 qPrintable(QStringLiteral("%1 unreported kinds, e.g. %2")
                                .arg(unreported.size())
                                .arg(unreported.empty()
                                         ? QString()
                                         : QString::fromStdString(unreported.begin()->first))));
        if (checks != Checks::All) {
            return;
        }
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

    QString lastRun_;  // what the last soak did, in short
};

QTEST_MAIN(SoakTest)
#include "SoakTest.moc"
