#include "core/tap_gate.h"

#include <QtTest>

// The pointer timing shared by every tool icon: one accepted press per half
// second, clicks count only after a short press, and a repeated camera toggle
// is ignored.
class TestTapGate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pressesAreAcceptedAtMostOncePerLimit_data()
    {
        QTest::addColumn<qint64>("firstPressAt"); // since the gate was made
        QTest::addColumn<qint64>("secondPressAfter");
        QTest::addColumn<bool>("firstAccepted");
        QTest::addColumn<bool>("secondAccepted");
        QTest::newRow("first press at 499 ms: too early") << qint64(499) << qint64(1) << false << true;
        QTest::newRow("first press at 500 ms: accepted") << qint64(500) << qint64(499) << true << false;
        QTest::newRow("second press exactly 500 ms later") << qint64(500) << qint64(500) << true << true;
    }

    void pressesAreAcceptedAtMostOncePerLimit()
    {
        QFETCH(qint64, firstPressAt);
        QFETCH(qint64, secondPressAfter);
        QFETCH(bool, firstAccepted);
        QFETCH(bool, secondAccepted);
        ManualClock clock;
        TapGate gate(clock);
        clock.advance(firstPressAt);
        QCOMPARE(gate.acceptPress(), firstAccepted);
        clock.advance(secondPressAfter);
        QCOMPARE(gate.acceptPress(), secondAccepted);
    }

    void aClickCountsOnlyAfterAShortPress_data()
    {
        QTest::addColumn<qint64>("held");
        QTest::addColumn<bool>("tap");
        QTest::newRow("120 ms") << qint64(120) << true;
        QTest::newRow("exactly 500 ms still counts") << qint64(500) << true;
        QTest::newRow("501 ms is a long press") << qint64(501) << false;
    }

    void aClickCountsOnlyAfterAShortPress()
    {
        QFETCH(qint64, held);
        QFETCH(bool, tap);
        ManualClock clock;
        TapGate gate(clock);
        QVERIFY(gate.isTap()); // nothing pressed yet
        clock.advance(500);
        QVERIFY(gate.acceptPress());
        clock.advance(held);
        gate.endPress();
        clock.advance(10000); // the time after the release does not count
        QCOMPARE(gate.isTap(), tap);
    }

    void anIgnoredPressKeepsTheEarlierPressTiming()
    {
        // A second finger lands while the first still holds its icon: the
        // first press goes on being timed.
        ManualClock clock;
        TapGate gate(clock);
        clock.advance(500);
        QVERIFY(gate.acceptPress());
        clock.advance(200);
        QVERIFY(!gate.acceptPress());
        clock.advance(400);
        gate.endPress();
        QVERIFY(!gate.isTap()); // held 600 ms, not 400
    }

    void repeatedTogglesWithinTheLimitAreIgnored_data()
    {
        QTest::addColumn<QList<qint64>>("tapTimes");
        QTest::addColumn<QList<bool>>("accepted");
        QTest::newRow("taps at 0, 300, 600: the window restarts on each ignored tap")
            << QList<qint64>{0, 300, 600} << QList<bool>{true, false, false};
        QTest::newRow("taps at 0, 500: exactly the limit acts")
            << QList<qint64>{0, 500} << QList<bool>{true, true};
        QTest::newRow("taps at 0, 499, 998: the ignored tap restarts the window")
            << QList<qint64>{0, 499, 998} << QList<bool>{true, false, false};
        QTest::newRow("taps at 0, 300, 800: 500 after the ignored tap acts")
            << QList<qint64>{0, 300, 800} << QList<bool>{true, false, true};
    }

    void repeatedTogglesWithinTheLimitAreIgnored()
    {
        QFETCH(QList<qint64>, tapTimes);
        QFETCH(QList<bool>, accepted);
        ManualClock clock;
        clock.advance(5000);
        RepeatGuard guard(clock);
        qint64 now = 0;
        for (int i = 0; i < tapTimes.size(); ++i) {
            clock.advance(tapTimes[i] - now);
            now = tapTimes[i];
            QVERIFY2(guard.accept() == accepted[i], qPrintable(QStringLiteral("tap %1").arg(i)));
        }
    }
};

QTEST_APPLESS_MAIN(TestTapGate)
#include "test_tap_gate.moc"
