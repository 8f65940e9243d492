// The shared error trap: what Abort, Retry and Ignore do to a list of steps.
#include "DataColumns.h"
#include "ScriptedMessageBoxes.h"
#include "trap/ErrorTrap.h"

#include <QTest>

using namespace quillmark;
using quillmark::test::columns;

using quillmark::test::ScriptedMessageBoxes;

namespace {

// Three steps; the middle one fails `failures` times. Records which steps ran.
struct Procedure {
    int failures = 1;
    QStringList ran;
    std::vector<Step> steps() {
        return {
            {[this] {
                ran << "first";
                return Flow::Next;
            }},
            {[this] {
                ran << "second";
                if (failures-- > 0) {
                    throw RaisedError::comm("second failed");
                }
                return Flow::Next;
            }},
            {[this] {
                ran << "third";
                return Flow::Next;
            }},
        };
    }
};

}  // namespace

class ErrorTrapTest final : public QObject {
    Q_OBJECT
private slots:
    void answers_actOnTheFailedStep_data() {
        columns<QList<BoxAnswer>, int, QStringList, bool, int>("answers", "failures", "ran",
                                                               "closed", "end");
        QTest::newRow("abort runs the closing steps and skips the rest")
            << QList<BoxAnswer>{BoxAnswer::Abort} << 1 << QStringList{"first", "second"} << true
            << int(ProcedureEnd::Aborted);
        QTest::newRow("retry runs the failed step again")
            << QList<BoxAnswer>{BoxAnswer::Retry} << 1
            << QStringList{"first", "second", "second", "third"} << false
            << int(ProcedureEnd::Completed);
        QTest::newRow("retry twice, then ignore")
            << QList<BoxAnswer>{BoxAnswer::Retry, BoxAnswer::Retry, BoxAnswer::Ignore} << 5
            << QStringList{"first", "second", "second", "second", "third"} << false
            << int(ProcedureEnd::Completed);
        QTest::newRow("ignore goes on with the next step")
            << QList<BoxAnswer>{BoxAnswer::Ignore} << 1 << QStringList{"first", "second", "third"}
            << false << int(ProcedureEnd::Completed);
        QTest::newRow("an unknown answer leaves like abort")
            << QList<BoxAnswer>{BoxAnswer::Cancel} << 1 << QStringList{"first", "second"} << true
            << int(ProcedureEnd::Aborted);
    }
    void answers_actOnTheFailedStep() {
        QFETCH(QList<BoxAnswer>, answers);
        QFETCH(int, failures);
        QFETCH(QStringList, ran);
        QFETCH(bool, closed);
        QFETCH(int, end);
        ScriptedMessageBoxes boxes;
        boxes.answers.assign(answers.begin(), answers.end());
        bool closingRan = false;
        ErrorTrap trap(boxes, [&] { closingRan = true; });
        Procedure procedure;
        procedure.failures = failures;
        const auto steps = procedure.steps();
        QCOMPARE(int(trap.run(steps)), end);
        QCOMPARE(procedure.ran, ran);
        QCOMPARE(closingRan, closed);
        QCOMPARE(boxes.shown.size(), answers.size());
        QCOMPARE(boxes.shown.first().text, QStringLiteral("second failed"));
        QCOMPARE(boxes.shown.first().title, QStringLiteral("Error"));
        QCOMPARE(boxes.shown.first().style, BoxStyle::AbortRetryIgnoreCritical);
    }

    void retryFromAndIgnoreTo_redirectTheProcedure() {
        ScriptedMessageBoxes boxes;
        boxes.answers = {BoxAnswer::Retry, BoxAnswer::Ignore};
        ErrorTrap trap(boxes);
        QStringList ran;
        int timeouts = 2;
        const std::vector<Step> steps = {
            {[&] {
                ran << "open";
                return Flow::Next;
            }},
            {[&] {
                 ran << "raise";
                 if (timeouts-- > 0) {
                     throw RaisedError::comm("timeout");
                 }
                 return Flow::Next;
             },
             0, 99},
            {[&] {
                ran << "read";
                return Flow::Next;
            }},
        };
        trap.run(steps);
        // Retry went back to "open"; Ignore ended the procedure instead of reading.
        QCOMPARE(ran, (QStringList{"open", "raise", "open", "raise"}));
    }

    void labelledTargets_redirectLikePositions_data() {
        columns<QString, QStringList>("retryTo", "ran");
        // Retry once to the label, then Ignore to the end: "read" never runs.
        QTest::newRow("to the labelled step")
            << "open" << QStringList{"open", "raise", "open", "raise"};
        // A label no step carries ends the procedure rather than looping or running on.
        QTest::newRow("unknown label ends") << "nowhere" << QStringList{"open", "raise"};
    }
    void labelledTargets_redirectLikePositions() {
        QFETCH(QString, retryTo);
        QFETCH(QStringList, ran);
        ScriptedMessageBoxes boxes;
        boxes.answers = {BoxAnswer::Retry, BoxAnswer::Ignore};
        ErrorTrap trap(boxes);
        const QByteArray label = retryTo.toLatin1();
        QStringList order;
        const std::vector<Step> steps = {
            {.run =
                 [&] {
                     order << "open";
                     return Flow::Next;
                 },
             .label = "open"},
            {[&] {
                 order << "raise";
                 throw RaisedError::comm("timeout");
                 return Flow::Next;
             },
             StepTarget(std::string_view(label.constData())), StepTarget::end()},
            {[&] {
                order << "read";
                return Flow::Next;
            }},
        };
        trap.run(steps);
        QCOMPARE(order, ran);
    }

    void guard_actsOnOneStatementInsideAStep() {
        ScriptedMessageBoxes boxes;
        boxes.answers = {BoxAnswer::Retry, BoxAnswer::Ignore, BoxAnswer::Abort};
        bool closed = false;
        ErrorTrap trap(boxes, [&] { closed = true; });
        int attempts = 0;
        QList<std::optional<int>> results;
        const std::vector<Step> steps = {
            {[&] {
                // Fails once, then Retry gets the value.
                results << trap.guard([&]() -> int {
                    if (attempts++ == 0) {
                        throw RaisedError::comm("count failed");
                    }
                    return 7;
                });
                // Fails, Ignore: no value, the step goes on.
                results << trap.guard([]() -> int { throw RaisedError::comm("read failed"); });
                // Fails, Abort: leaves the whole procedure through its closing steps.
                trap.guard([] { throw RaisedError::comm("yield failed"); });
                results << 99;
                return Flow::Next;
            }},
        };
        QCOMPARE(trap.run(steps), ProcedureEnd::Aborted);
        QCOMPARE(results, (QList<std::optional<int>>{7, std::nullopt}));
        QVERIFY(closed);
    }

    void closingStepFailure_staysInsideTheProcedure() {
        ScriptedMessageBoxes boxes;
        boxes.answers = {BoxAnswer::Abort};
        bool secondClosingStepRan = false;
        ErrorTrap trap(boxes, [&] {
            bestEffort([] { throw RaisedError::comm("close failed"); });
            secondClosingStepRan = true;
        });
        const std::vector<Step> steps = {{[]() -> Flow { throw RaisedError::comm("x"); }}};
        QCOMPARE(trap.run(steps), ProcedureEnd::Aborted);
        QVERIFY(secondClosingStepRan);
        QCOMPARE(boxes.shown.size(), 1);
    }

    void nestedTraps_eachHandlesItsOwnAbort() {
        ScriptedMessageBoxes boxes;
        boxes.answers = {BoxAnswer::Abort};
        ErrorTrap outer(boxes);
        QStringList ran;
        const std::vector<Step> steps = {
            {[&] {
                ErrorTrap inner(boxes, [&] { ran << "inner closed"; });
                const std::vector<Step> innerSteps = {{[&]() -> Flow {
                    inner.guard([] { throw RaisedError::comm("inner"); });
                    return Flow::Next;
                }}};
                inner.run(innerSteps);
                ran << "outer goes on";
                return Flow::Next;
            }},
        };
        QCOMPARE(outer.run(steps), ProcedureEnd::Completed);
        QCOMPARE(ran, (QStringList{"inner closed", "outer goes on"}));
    }
};

QTEST_GUILESS_MAIN(ErrorTrapTest)
#include "ErrorTrapTest.moc"
