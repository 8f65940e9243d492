// Termination requests: each signal that ends a program from outside arrives through the event
// loop instead of ending the process, and ends it again once nobody listens.
#include "DataColumns.h"
#include "platform/TerminationRequests.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace quillmark;
using namespace quillmark::test;

class TerminationRequestsTest final : public QObject {
    Q_OBJECT
private slots:
    void signal_arrivesThroughTheEventLoop_data() {
        columns<int>("signal");
        QTest::newRow("kill, or the session ending") << SIGTERM;
        QTest::newRow("the terminal closing") << SIGHUP;
        QTest::newRow("Ctrl+C") << SIGINT;
    }
    void signal_arrivesThroughTheEventLoop() {
        QFETCH(int, signal);
        {
            TerminationRequests requests;
            QSignalSpy spy(&requests, &TerminationRequests::requested);
            QCOMPARE(::raise(signal), 0);
            QCOMPARE(spy.size(), 0);  // not from inside the signal handler
            QVERIFY(spy.wait());
            // Each request is taken in full, and the next one arrives as well.
            QCOMPARE(::raise(signal), 0);
            QVERIFY(spy.wait());
            QCoreApplication::processEvents();
            QCOMPARE(spy.size(), 2);
        }
        // Gone, it leaves the signal its usual effect.
        struct sigaction now {};
        QCOMPARE(::sigaction(signal, nullptr, &now), 0);
        QVERIFY(now.sa_handler == SIG_DFL);
    }
};

QTEST_GUILESS_MAIN(TerminationRequestsTest)
#include "TerminationRequestsTest.moc"
