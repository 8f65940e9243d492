// The real serial port on a pseudo-terminal: settings, data in both directions, 0xFF bytes,
// overflow, discarding, waiting without spinning, events through the event loop, and errors.
#include "DataColumns.h"
#include "PseudoTerminal.h"
#include "TermiosSpeed.h"
#include "platform/ErrorRecord.h"
#include "platform/QtSerialPort.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <thread>

using namespace quillmark;
using namespace std::chrono;
using quillmark::test::columns;

namespace {

// The engine module's line, as the link applies it.
LineSettings moduleLine() {
    LineSettings line;
    line.settings = QStringLiteral("56000,N,8,1");
    line.rThreshold = 1;
    line.inputLen = 1;
    line.dtrEnable = true;
    line.inBufferSize = 256;
    return line;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (const int value : values) {
        out.append(static_cast<char>(value));
    }
    return out;
}

duration<double, std::milli> cpuTime() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return seconds(now.tv_sec) + nanoseconds(now.tv_nsec);
}

// The description of the RaisedError that `operation` throws; empty when it throws none.
template <typename Operation>
QString failureOf(Operation operation) {
    try {
        operation();
    } catch (const RaisedError& error) {
        return error.record().description;
    }
    return {};
}

}  // namespace

class QtSerialPortPtyTest final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        pty_ = std::make_unique<test::PseudoTerminal>();
        QVERIFY(pty_->valid());
        port_ = std::make_unique<QtSerialPort>();
        port_->applySettings(moduleLine());
        mapCom1(pty_->slavePath());
        events_.clear();
        port_->setEventHandler([this] { events_.push_back(port_->lastEvent()); });
    }
    void cleanup() {
        port_.reset();
        pty_.reset();
        com1Device_.clear();
    }

    void open_setsTheLineAndSurvivesRefusedModemLines() {
        // A pty has no modem lines: the driver refuses DTR, so this proves the refusal is ignored.
        int dtr = TIOCM_DTR;
        QCOMPARE(::ioctl(pty_->slaveFd(), TIOCMBIS, &dtr), -1);

        port_->open();
        QVERIFY(port_->isOpen());
        QCOMPARE(test::outputSpeedOf(pty_->slaveFd()), 56000);
        termios line{};
        QCOMPARE(::tcgetattr(pty_->slaveFd(), &line), 0);
        QVERIFY(line.c_iflag & PARMRK);
        QVERIFY(line.c_iflag & INPCK);
        QVERIFY(!(line.c_iflag & IGNPAR));
        QVERIFY(!(line.c_iflag & ISTRIP));
        QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
        QVERIFY(!(line.c_cflag & PARENB));
        QVERIFY(!(line.c_cflag & CSTOPB));

        port_->close();
        QVERIFY(!port_->isOpen());
        port_->close();
        port_->open();
        QVERIFY(port_->isOpen());
    }

    void write_reachesTheModule() {
        port_->open();
        port_->write(bytes({0x33}));
        port_->write(bytes({0x10, 0xFF}));
        QCOMPARE(pty_->receive(3, 1s), bytes({0x33, 0x10, 0xFF}));
    }

    void cablePulledMidRun_failuresNameThePlainCause() {
        port_->open();
        pty_->hangUp();
        const QString written = failureOf([this] { port_->write(bytes({0x2F})); });
        const QString read = failureOf([this] { port_->waitForInput(50ms); });
        const QString cause = QStringLiteral("the serial device went away");
        QVERIFY2(written.startsWith(QStringLiteral("Com1: write failed: ")), qPrintable(written));
        QVERIFY2(written.contains(cause) || read.contains(cause),
                 qPrintable(written + " / " + read));
    }

    void received_countedAndReadInOrder() {
        port_->open();
        pty_->send(bytes({0x41, 0x00, 0x42}));
        QCOMPARE(countAfterWaiting(3), 3);
        QCOMPARE(port_->readOne(), std::uint8_t{0x41});
        QCOMPARE(port_->waitingCount(), 2);
        QCOMPARE(port_->readOne(), std::uint8_t{0x00});
        QCOMPARE(port_->readOne(), std::uint8_t{0x42});
        QCOMPARE(port_->waitingCount(), 0);
        QVERIFY(failureOf([this] { port_->readOne(); }).startsWith(QStringLiteral("Com1")));
    }

    void ffBytes_driverDoublesThemAndEachIsReadOnce() {
        port_->open();
        // Read the raw line through our own slave descriptor: the driver really marks 0xFF.
        pty_->send(bytes({0xFF}));
        QCOMPARE(readRawSlave(2), bytes({0xFF, 0xFF}));

        pty_->send(bytes({0x00, 0xFF, 0xFF}));
        QCOMPARE(countAfterWaiting(3), 3);
        QCOMPARE(port_->readOne(), std::uint8_t{0x00});
        QCOMPARE(port_->readOne(), std::uint8_t{0xFF});
        QCOMPARE(port_->readOne(), std::uint8_t{0xFF});
        port_->waitForInput(100ms);
        QCOMPARE(port_->waitingCount(), 0);
    }

    void events_comeThroughTheEventLoopOnly() {
        port_->open();
        pty_->send(bytes({0x06}));
        port_->waitForInput(1s);
        QCOMPARE(port_->waitingCount(), 1);
        QVERIFY(events_.empty());
        QCoreApplication::processEvents();
        QVERIFY(!events_.empty());
        QCOMPARE(events_.back(), LineEvent::Receive);
        QCOMPARE(port_->lastEvent(), LineEvent::Receive);

        // One still queued when the port closes belongs to the old line, not the reopened one.
        events_.clear();
        pty_->send(bytes({0x06}));
        port_->waitForInput(1s);
        QCOMPARE(port_->waitingCount(), 2);
        port_->close();
        port_->open();
        QCoreApplication::processEvents();
        QVERIFY(events_.empty());
    }

    void write_thatTimesOutLeavesNothingToGoOutLater() {
        port_->open();
        // The module reads nothing: far more than the pseudo-terminal holds cannot leave.
        const QString failure = failureOf([this] { port_->write(QByteArray(1 << 20, '\x55')); });
        QVERIFY2(failure.startsWith(QStringLiteral("Com1: write failed")), qPrintable(failure));
        while (!pty_->receive(4096, 100ms).isEmpty()) {
        }
        port_->write(bytes({0x33}));
        QCOMPARE(pty_->receive(2, 300ms), bytes({0x33}));
    }

    void counters_growthThroughTheSeamRaisesEvents() {
        std::optional<LineCounters> driver = LineCounters{};
        port_->setCounterSource([&driver](std::intptr_t) { return driver; });
        port_->open();

        const auto eventsFor = [this](const std::function<void()>& change) {
            change();
            events_.clear();
            pty_->send(bytes({0x01}));
            port_->waitForInput(1s);
            port_->readOne();
            QCoreApplication::processEvents();
            return events_;
        };
        using Events = std::vector<LineEvent>;
        QCOMPARE(eventsFor([] {}), Events{LineEvent::Receive});
        QCOMPARE(eventsFor([&] { driver->overrun += 1; }),
                 (Events{LineEvent::Overrun, LineEvent::Receive}));
        QCOMPARE(eventsFor([&] { driver->parity += 1; }),
                 (Events{LineEvent::RxParity, LineEvent::Receive}));
        QCOMPARE(eventsFor([&] { driver.reset(); }), Events{LineEvent::Receive});
    }

    void overflow_keepsTheOldest256AndRaises1008() {
        port_->open();
        QByteArray flood;
        for (int i = 0; i < 300; ++i) {
            flood.append(static_cast<char>(i % 250));
        }
        pty_->send(flood);
        QVERIFY(driverHolds(300));  // everything sits in the driver, nothing read yet
        QCOMPARE(port_->waitingCount(), 256);
        QVERIFY(events_.empty());
        QVERIFY(QTest::qWaitFor([this] {
            return std::count(events_.begin(), events_.end(), LineEvent::RxOverflow) >= 1;
        }));
        QCOMPARE(port_->readOne(), std::uint8_t{0});
        for (int i = 1; i < 255; ++i) {
            port_->readOne();
        }
        QCOMPARE(port_->readOne(), std::uint8_t{255 % 250});
        QCOMPARE(port_->waitingCount(), 0);
    }

    void discardInput_dropsOursQtsAndTheDriversBytes() {
        port_->open();
        pty_->send(bytes({1, 2, 3, 4, 5}));
        QCOMPARE(countAfterWaiting(5), 5);
        pty_->send(QByteArray(40, '\x07'));
        QVERIFY(driverHolds(40));  // still queued in the driver
        port_->discardInput();
        QCOMPARE(port_->waitingCount(), 0);
        port_->waitForInput(100ms);
        QCOMPARE(port_->waitingCount(), 0);

        pty_->send(bytes({0x09}));
        QCOMPARE(countAfterWaiting(1), 1);
        QCOMPARE(port_->readOne(), std::uint8_t{0x09});
    }

    void waitForInput_returnsEarlyWhenBytesCome() {
        port_->open();
        std::atomic<steady_clock::time_point> sentAt{steady_clock::time_point::max()};
        std::thread module([&] {
            std::this_thread::sleep_for(100ms);
            sentAt = steady_clock::now();
            pty_->send(bytes({0x06}));
        });
        // A timeout no scheduling delay comes near: the wait ends on the byte or not at all.
        constexpr auto timeout = 60s;
        const auto start = steady_clock::now();
        port_->waitForInput(timeout);
        const auto returned = steady_clock::now();
        module.join();
        QVERIFY(returned >= sentAt.load());
        QVERIFY(returned - start < timeout);
        QCOMPARE(port_->waitingCount(), 1);
    }

    void waitForInput_sleepsUntilTheTimeoutWithoutSpinning() {
        port_->open();
        const auto cpuBefore = cpuTime();
        const auto start = steady_clock::now();
        port_->waitForInput(300ms);
        const auto waited = steady_clock::now() - start;
        const auto cpu = cpuTime() - cpuBefore;
        // A timed wait never ends early; a late end is the machine's business. Sleeping costs
        // next to no CPU, spinning nearly all of the time waited, however busy the machine.
        QVERIFY(waited >= 300ms);
        qInfo("waited %.1f ms for a 300 ms timeout, %.2f ms of CPU",
              duration<double, std::milli>(waited).count(), cpu.count());
        QVERIFY2(cpu < waited / 4, qPrintable(QString::number(cpu.count()) + " ms of CPU"));

        // Sub-millisecond remainders are rounded up, not polled in a loop.
        const auto cpuBeforeShort = cpuTime();
        const auto startShort = steady_clock::now();
        for (int i = 0; i < 100; ++i) {
            port_->waitForInput(1900us);
        }
        const auto waitedShort = steady_clock::now() - startShort;
        const auto cpuShort = cpuTime() - cpuBeforeShort;
        // Rounded down, a hundred waits would end after 100 ms; load only makes them longer.
        QVERIFY(waitedShort >= 190ms);
        QVERIFY2(cpuShort < waitedShort / 4,
                 qPrintable(QString::number(cpuShort.count()) + " ms of CPU"));
    }

    void closedPort_operationsFailClearly() {
        const QString notOpen = QStringLiteral("Com1 is not open");
        QCOMPARE(failureOf([this] { port_->write(bytes({0x33})); }), notOpen);
        QCOMPARE(failureOf([this] { port_->readOne(); }), notOpen);
        QCOMPARE(failureOf([this] { port_->waitingCount(); }), notOpen);
        QCOMPARE(failureOf([this] { port_->waitForInput(1ms); }), notOpen);
        QCOMPARE(failureOf([this] { port_->close(); }), QString());
        QCOMPARE(failureOf([this] { port_->discardInput(); }), notOpen);
        port_->open();
        QVERIFY(failureOf([this] {
                    port_->setPort(QStringLiteral("Com2"), com1Device_);
                }).startsWith(QStringLiteral("Com1")));
        QVERIFY(failureOf([this] { port_->open(); }).startsWith(QStringLiteral("Com1")));
    }

    void open_missingDeviceNamesPortAndPath() {
        const QString path = QStringLiteral("/dev/quillmark-no-such-tty");
        mapCom1(path);
        const QString failure = failureOf([this] { port_->open(); });
        QVERIFY2(failure.startsWith(QStringLiteral("Com1: no such device ") + path + '.'),
                 qPrintable(failure));
        // A replugged adapter is back under another name: the stable one is what helps.
        QVERIFY2(failure.contains(QStringLiteral("/dev/serial/by-id")), qPrintable(failure));
        QVERIFY(!port_->isOpen());
    }

    void open_keepsEveryoneElseOut() {
        int exclusive = -1;
        port_->open();
        QCOMPARE(::ioctl(pty_->slaveFd(), TIOCGEXCL, &exclusive), 0);
        QCOMPARE(exclusive, 1);
        // Taken off again, or no one (the program itself included) could open it next time.
        port_->close();
        QCOMPARE(::ioctl(pty_->slaveFd(), TIOCGEXCL, &exclusive), 0);
        QCOMPARE(exclusive, 0);
    }

    void otherHolders_namesOtherProgramsOnly_data() {
        columns<bool, bool>("throughLink", "otherProgram");
        QTest::newRow("nobody else: the port and the test's own descriptor do not count")
            << false << false;
        QTest::newRow("another program") << false << true;
        QTest::newRow("another program, device mapped through a link") << true << true;
    }
    void otherHolders_namesOtherProgramsOnly() {
        QFETCH(bool, throughLink);
        QFETCH(bool, otherProgram);
        QTemporaryDir dir;
        const QString slave = pty_->slavePath();
        const QString device =
            throughLink ? dir.filePath(QStringLiteral("usb-Adapter_A1-if00-port0")) : slave;
        if (throughLink) {
            QVERIFY(QFile::link(slave, device));
            mapCom1(device);
        }
        QProcess holder;
        if (otherProgram) {
            holder.setStandardInputFile(slave);
            holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
            QVERIFY(holder.waitForStarted());
        }
        port_->open();
        const QString expected =
            otherProgram ? QStringLiteral("%1 is also open in sleep (pid %2)")
                               .arg(device)
                               .arg(holder.processId())
                         : QString();
        // The child has the device open once it runs sleep rather than the fork of this program.
        QVERIFY(QTest::qWaitFor([&] { return port_->otherHolders() == expected; }));
        if (otherProgram) {
            holder.kill();
            QVERIFY(holder.waitForFinished());
            QCOMPARE(port_->otherHolders(), QString());
        }
    }

    void open_portHeldElsewhereIsInUse_data() {
        columns<bool>("throughLink");
        QTest::newRow("same name") << false;
        // The stable name of a USB adapter, while another program opened /dev/ttyUSB0.
        QTest::newRow("through a link") << true;
    }
    void open_portHeldElsewhereIsInUse() {
        QFETCH(bool, throughLink);
        port_->open();
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("usb-Adapter_A1-if00-port0"));
        QVERIFY(QFile::link(com1Device_, link));
        QtSerialPort second;
        second.setPort(QStringLiteral("Com1"), throughLink ? link : com1Device_);
        const QString failure = failureOf([&] { second.open(); });
        QCOMPARE(failure, QStringLiteral("Com1 is in use by another program"));
        QVERIFY(!second.isOpen());
    }

    void open_deviceWithoutAccessNamesTheGroup() {
        if (::geteuid() == 0) {
            QSKIP("root opens any device");
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ttyLocked"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::Permissions{}));
        mapCom1(path);
        const QString failure = failureOf([this] { port_->open(); });
        QVERIFY2(failure.startsWith(QStringLiteral("Com1: permission denied")),
                 qPrintable(failure));
        QVERIFY(failure.contains(QStringLiteral("dialout")));
    }

    void open_refusedLineSettingsFailAndRaise1011() {
        LineSettings odd;
        odd.settings = QStringLiteral("56000,N,8,1.5");  // one and a half stop bits: not on Linux
        port_->applySettings(odd);
        const QString failure = failureOf([this] { port_->open(); });
        QVERIFY2(failure.startsWith(QStringLiteral("Com1: the line settings 56000,N,8,1.5")),
                 qPrintable(failure));
        QVERIFY(!port_->isOpen());
        QVERIFY(events_.empty());
        QCoreApplication::processEvents();
        QCOMPARE(events_, std::vector<LineEvent>{LineEvent::DeviceControlBlock});
    }

private:
    void mapCom1(const QString& path) {
        com1Device_ = path;
        port_->setPort(QStringLiteral("Com1"), path);
    }
    // Whether the driver holds `count` bytes for the port, waited for without running the
    // event loop, so nothing reads them meanwhile.
    bool driverHolds(int count) const {
        const auto deadline = steady_clock::now() + 5s;
        int queued = 0;
        while (::ioctl(pty_->slaveFd(), FIONREAD, &queued) == 0 && queued < count &&
               steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        return queued >= count;
    }
    // The counted wait as the link does it, bounded so a fault fails instead of hanging.
    int countAfterWaiting(int wanted) {
        const auto deadline = steady_clock::now() + 2s;
        while (port_->waitingCount() < wanted && steady_clock::now() < deadline) {
            port_->waitForInput(100ms);
        }
        return port_->waitingCount();
    }
    QByteArray readRawSlave(int count) {
        QByteArray got;
        const auto deadline = steady_clock::now() + 1s;
        while (got.size() < count && steady_clock::now() < deadline) {
            char buffer[16];
            const ssize_t n = ::read(pty_->slaveFd(), buffer, sizeof buffer);
            if (n > 0) {
                got.append(buffer, n);
            } else {
                QTest::qSleep(5);
            }
        }
        return got;
    }

    QString com1Device_;
    std::unique_ptr<test::PseudoTerminal> pty_;
    std::unique_ptr<QtSerialPort> port_;
    std::vector<LineEvent> events_;
};

QTEST_GUILESS_MAIN(QtSerialPortPtyTest)
#include "QtSerialPortPtyTest.moc"
