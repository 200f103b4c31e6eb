#include "core/exit_sequence.h"
#include "core/tool_fade.h"

#include <QtTest>

Q_DECLARE_METATYPE(ExitSequence::Action)

// The two tick-driven rules of the window: the tool icons fading out, and the
// exit sequence that stops a running camera before the window closes.
class TestToolFade : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fadeTimeline_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<float>("opacity");
        QTest::addColumn<bool>("hiddenOnLastTick");
        QTest::newRow("200 idle ticks: still whole") << 200 << 1.0f << false;
        QTest::newRow("tick 201: the first step") << 201 << 0.9f << false;
        QTest::newRow("tick 208: the last visible step") << 208 << 0.19999993f << false;
        QTest::newRow("tick 209: under 0.1, hidden") << 209 << 0.099999927f << true;
    }

    void fadeTimeline()
    {
        QFETCH(int, ticks);
        QFETCH(float, opacity);
        QFETCH(bool, hiddenOnLastTick);
        ToolFade fade;
        fade.show();
        bool hidden = false;
        for (int i = 0; i < ticks; ++i) {
            QVERIFY2(!hidden, "hidden too early");
            hidden = fade.tick();
        }
        QCOMPARE(fade.opacity(), opacity);
        QCOMPARE(hidden, hiddenOnLastTick);
        QCOMPARE(fade.idleTicks(), hidden ? 0 : ticks);
    }

    void useFreezesTheFadeForAnotherIdleSpell()
    {
        ToolFade fade;
        fade.show();
        for (int i = 0; i < 205; ++i)
            fade.tick();
        fade.stayAwake();
        QCOMPARE(fade.opacity(), 0.49999991f);
        for (int i = 0; i < 200; ++i)
            QVERIFY(!fade.tick());
        QCOMPARE(fade.opacity(), 0.49999991f);
        QVERIFY(!fade.tick() && !fade.tick() && !fade.tick());
        QVERIFY(fade.tick()); // 204 ticks after the click
        fade.show();
        QCOMPARE(fade.opacity(), 1.0f);
    }

    void exitSequence_data()
    {
        using A = ExitSequence::Action;
        QTest::addColumn<QList<bool>>("cameraActive"); // per tick, before the tick's action
        QTest::addColumn<QList<ExitSequence::Action>>("actions");
        QTest::newRow("camera stops at once: closed on the fourth tick")
            << QList<bool>{true, false, false, false}
            << QList<A>{A::StopCamera, A::None, A::None, A::Close};
        QTest::newRow("slow camera: icon off on the second tick, closed once stopped")
            << QList<bool>{true, true, true, true, false}
            << QList<A>{A::StopCamera, A::ShowCameraOff, A::None, A::None, A::Close};
        QTest::newRow("camera already stopped by itself: not told again")
            << QList<bool>{false, false, false, false}
            << QList<A>{A::None, A::None, A::None, A::Close};
    }

    void exitSequence()
    {
        QFETCH(QList<bool>, cameraActive);
        QFETCH(QList<ExitSequence::Action>, actions);
        ExitSequence sequence;
        sequence.restart();
        for (int i = 0; i < cameraActive.size(); ++i)
            QVERIFY2(sequence.tick(cameraActive[i]) == actions[i], qPrintable(QStringLiteral("tick %1").arg(i)));
    }

    void restartCountsFromTheFirstTickAgain()
    {
        using A = ExitSequence::Action;
        ExitSequence sequence;
        QCOMPARE(sequence.tick(true), A::StopCamera);
        QCOMPARE(sequence.tick(true), A::ShowCameraOff);
        sequence.restart();
        QCOMPARE(sequence.tick(true), A::StopCamera);
    }
};

QTEST_APPLESS_MAIN(TestToolFade)
#include "test_tool_fade.moc"
