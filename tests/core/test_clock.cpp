#include "core/clock.h"

#include <QtTest>

class TestStopwatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void holdsTimeWhileStoppedAndResumes()
    {
        ManualClock clock;
        Stopwatch watch(clock);
        QCOMPARE(watch.elapsedMilliseconds(), 0);
        clock.advance(100); // not running: nothing counts
        QCOMPARE(watch.elapsedMilliseconds(), 0);

        watch.start();
        clock.advance(250);
        QCOMPARE(watch.elapsedMilliseconds(), 250);
        watch.stop();
        clock.advance(1000);
        QCOMPARE(watch.elapsedMilliseconds(), 250);
        QVERIFY(!watch.isRunning());

        watch.start(); // continues from the time held
        clock.advance(50);
        QCOMPARE(watch.elapsedMilliseconds(), 300);
        watch.start(); // a second start does not restart the count
        clock.advance(10);
        QCOMPARE(watch.elapsedMilliseconds(), 310);
    }

    void resetStopsAndClears()
    {
        ManualClock clock;
        Stopwatch watch(clock);
        watch.start();
        clock.advance(400);
        watch.reset();
        QVERIFY(!watch.isRunning());
        clock.advance(400);
        QCOMPARE(watch.elapsedMilliseconds(), 0);

        watch.restart();
        clock.advance(7);
        QVERIFY(watch.isRunning());
        QCOMPARE(watch.elapsedMilliseconds(), 7);
    }

    void systemClockIsMonotonic()
    {
        const qint64 first = Clock::system().nowMilliseconds();
        const qint64 second = Clock::system().nowMilliseconds();
        QVERIFY(second >= first);
    }
};

QTEST_APPLESS_MAIN(TestStopwatch)
#include "test_clock.moc"
