#include "core/frame_statistics.h"

#include <QtTest>

class TestFrameStatistics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportsEveryFiveSecondsWhatThatSpellSaw()
    {
        FrameStatistics statistics(1'000'000);
        // A spell of 100 frames: steps of 0.1 .. 10 ms, latencies of 10 .. 109 ms.
        for (int i = 1; i <= 100; ++i) {
            statistics.stepped(i * 100);
            statistics.shown(10'000 + (i - 1) * 1000);
        }
        statistics.countFrames(130, 30);
        QVERIFY(!statistics.takeReport(5'999'999));
        const std::optional<QString> first = statistics.takeReport(6'000'000);
        QVERIFY(first);
        QCOMPARE(*first, QStringLiteral("5.0 s: frames received 130, stepped 100, replaced before taken 30; "
                                        "step median 5.1 ms, max 10.0 ms; "
                                        "capture to screen median 60.0 ms, p99 108.0 ms"));

        // The next spell counts only its own frames.
        statistics.stepped(2500);
        statistics.countFrames(131, 30);
        QVERIFY(!statistics.takeReport(10'000'000));
        QCOMPARE(*statistics.takeReport(11'000'000),
                 QStringLiteral("5.0 s: frames received 1, stepped 1, replaced before taken 0; "
                                "step median 2.5 ms, max 2.5 ms; "
                                "capture to screen median 0.0 ms, p99 0.0 ms"));
    }
};

QTEST_APPLESS_MAIN(TestFrameStatistics)
#include "test_frame_statistics.moc"
