// Measures the polling tick against a module paced at the real line speed: wall time per tick
// against the floor set by the line and the pauses, and the processor time it costs.
#include "Median.h"
#include "ProgramHarness.h"

#include <sys/resource.h>

#include <QElapsedTimer>

#include <vector>

using namespace quillmark;
using namespace quillmark::test;

namespace {

double cpuSeconds() {
    rusage usage{};
    // The simulator serves from its own thread in this process; only the program's thread counts.
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// 9 command bytes and 20 answer bytes at 56000 baud, 10 bits a byte, plus nine 2 ms pauses.
constexpr double kByteMs = 10.0 * 1000.0 / 56000.0;
constexpr double kTickFloorMs = (9 + 20) * kByteMs + 9 * 2.0;
constexpr int kTicks = 60;

}  // namespace

class PollingTickBench final : public QObject {
    Q_OBJECT
private slots:
    void tickAgainstItsFloor() {
        ProgramHarness h(sim::Model::CorvaneIIVR, true);
        h.openRealTime();
        QVERIFY(h.state.panelActive);
        std::vector<double> wall;
        std::vector<double> cpu;
        for (int i = 0; i < kTicks; ++i) {
            const auto before = h.module->logged();
            const double cpuBefore = cpuSeconds();
            QElapsedTimer timer;
            timer.start();
            h.logic.tmrDataRead_Timer();
            wall.push_back(timer.nsecsElapsed() / 1e6);
            cpu.push_back((cpuSeconds() - cpuBefore) * 1000.0);
            QCOMPARE(int(h.module->logged() - before), 9);
        }
        QVERIFY(h.boxes.shown.isEmpty());
        const double medianMs = median(wall);
        double cpuTotal = 0;
        double wallTotal = 0;
        for (std::size_t i = 0; i < wall.size(); ++i) {
            cpuTotal += cpu[i];
            wallTotal += wall[i];
        }
        qInfo(
            "tick over %d ticks: median %.2f ms, floor %.2f ms, ratio %.3f; CPU %.2f ms per "
            "tick (%.1f %% of wall time)",
            kTicks, medianMs, kTickFloorMs, medianMs / kTickFloorMs, cpuTotal / kTicks,
            100.0 * cpuTotal / wallTotal);
        QVERIFY(medianMs >= 9 * 2.0);
    }

    void closedPanel_costsNothingButTheTimer() {
        ProgramHarness h(sim::Model::CorvaneIIVR, true);
        const auto before = h.module->logged();
        const double cpuBefore = cpuSeconds();
        QTest::qWait(3000);
        const double cpuMs = (cpuSeconds() - cpuBefore) * 1000.0;
        qInfo("panel closed: %.2f ms CPU in 3 s, %d commands sent", cpuMs,
              int(h.module->logged() - before));
        QCOMPARE(h.module->logged(), before);
        QVERIFY(cpuMs < 150);
    }
};

QTEST_MAIN(PollingTickBench)
#include "PollingTickBench.moc"
