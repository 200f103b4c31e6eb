#include "sound/peak_limiter.h"

#include <QtTest>

#include <cmath>
#include <vector>

// The output limiter: nothing above its threshold however loud the sum, and
// a quiet signal untouched.
class TestPeakLimiter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void peaksStayAtOrBelowTheThreshold_data()
    {
        QTest::addColumn<float>("amplitude");
        QTest::addColumn<bool>("limited");
        QTest::newRow("quiet sine passes untouched") << 0.5f << false;
        QTest::newRow("exactly at the threshold") << 0.89f << false;
        QTest::newRow("just above the threshold") << 0.9f << true;
        QTest::newRow("three times full scale") << 3.0f << true;
        QTest::newRow("a thousand times full scale") << 1000.0f << true;
    }

    void peaksStayAtOrBelowTheThreshold()
    {
        QFETCH(float, amplitude);
        QFETCH(bool, limited);
        PeakLimiter limiter(0.89f, 0.08f, 48000.0f);
        float largest = 0;
        bool untouched = true;
        for (int i = 0; i < 48000; ++i) {
            const float x = amplitude * std::sin(float(i) * 0.37f);
            const float y = limiter.process(x);
            largest = std::max(largest, std::fabs(y));
            untouched = untouched && y == x;
        }
        QVERIFY(largest <= 0.89f);
        QCOMPARE(untouched, !limited);
        if (limited)
            QVERIFY(largest > 0.8f); // limited, not muted
    }

    void theGainRecoversAfterALoudBurst()
    {
        PeakLimiter limiter(0.89f, 0.08f, 48000.0f);
        for (int i = 0; i < 480; ++i) // 10 ms far too loud
            limiter.process(i % 2 ? 5.0f : -5.0f);
        // Right after the burst a quiet signal is still turned down...
        QVERIFY(limiter.process(0.5f) < 0.2f);
        // ...and half a second later it passes untouched again.
        for (int i = 0; i < 24000; ++i)
            limiter.process(0.5f * std::sin(float(i) * 0.37f));
        QCOMPARE(limiter.process(0.5f), 0.5f);
    }
};

QTEST_APPLESS_MAIN(TestPeakLimiter)
#include "test_peak_limiter.moc"
