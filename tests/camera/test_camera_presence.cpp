#include "camera/camera_presence.h"

#include <QtTest>

namespace {

QStringList L(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

// "id:name" entries.
QList<CameraPresence::Listed> cameras(const QStringList &entries)
{
    QList<CameraPresence::Listed> list;
    for (const QString &entry : entries)
        list.append({entry.section(QLatin1Char(':'), 0, 0).toUtf8(), entry.section(QLatin1Char(':'), 1)});
    return list;
}

} // namespace

class TestCameraPresence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Capture starts at 0 ms from `inUse` (none when empty) with `before`
    // listed; at 1000 ms the list becomes `after`; the last frame came at
    // `lastFrame`; asked at `askedAt`.
    void pulledOutIsFramesStoppedAndListShrunk_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QByteArray>("inUse");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("lastFrame");
        QTest::addColumn<int>("askedAt");
        QTest::addColumn<bool>("gone");
        QTest::addColumn<QStringList>("stale");
        const QStringList twice = L({"a:Cam", "b:Cam"});
        QTest::newRow("there at start, the entry in use leaves, frames stopped")
            << twice << QByteArray("a") << L({"b:Cam"}) << 990 << 1490 << true << L({"b"});
        QTest::newRow("the same, a moment earlier: a hiccup, not yet gone")
            << twice << QByteArray("a") << L({"b:Cam"}) << 990 << 1489 << false << L({"b"});
        QTest::newRow("there at start, its twin leaves: still listed, but stale")
            << twice << QByteArray("b") << L({"b:Cam"}) << 1000 << 1500 << true << L({"b"});
        QTest::newRow("frames stopped before the list shrank: gone at once")
            << twice << QByteArray("b") << L({"b:Cam"}) << 200 << 1000 << true << L({"b"});
        QTest::newRow("the list shrank but frames keep coming")
            << twice << QByteArray("a") << L({"b:Cam"}) << 1400 << 1500 << false << L({"b"});
        QTest::newRow("plugged in later, listed once, pulled out")
            << L({"c:Cam"}) << QByteArray("c") << L({}) << 1000 << 1500 << true << L({});
        QTest::newRow("another camera leaves: a stall is the watchdog's")
            << L({"a:Cam", "x:Other"}) << QByteArray("a") << L({"a:Cam"}) << 0 << 9000 << false << L({});
        QTest::newRow("a camera comes") << L({"a:Cam"}) << QByteArray("a") << L({"a:Cam", "c:Cam"}) << 0 << 9000
                                        << false << L({});
        QTest::newRow("nothing in use: only the stale twin is marked")
            << twice << QByteArray() << L({"b:Cam"}) << 0 << 9000 << false << L({"b"});
    }

    void pulledOutIsFramesStoppedAndListShrunk()
    {
        QFETCH(QStringList, before);
        QFETCH(QByteArray, inUse);
        QFETCH(QStringList, after);
        QFETCH(int, lastFrame);
        QFETCH(int, askedAt);
        QFETCH(bool, gone);
        QFETCH(QStringList, stale);
        CameraPresence presence;
        presence.updateList(cameras(before));
        if (!inUse.isEmpty())
            presence.started(inUse, 0);
        presence.frameArrived(std::min(lastFrame, 1000));
        presence.updateList(cameras(after));
        if (lastFrame > 1000)
            presence.frameArrived(lastFrame);
        QCOMPARE(presence.isGone(askedAt), gone);
        for (const QString &entry : before + after) {
            const QByteArray id = entry.section(QLatin1Char(':'), 0, 0).toUtf8();
            QVERIFY2(presence.isStale(id) == stale.contains(QString::fromUtf8(id)), id.constData());
        }
    }

    // Pulled out, then plugged in again: the stale entry stays stale until
    // it leaves, the camera that came back is new, and capture from it is
    // watched afresh.
    void aCameraThatComesBackIsNew()
    {
        CameraPresence presence;
        presence.updateList(cameras(L({"a:Cam", "b:Cam"})));
        presence.started("a", 0);
        presence.updateList(cameras(L({"b:Cam"})));
        QVERIFY(presence.isGone(1000));
        presence.stopped();
        QVERIFY(!presence.isGone(1000));
        presence.updateList(cameras(L({"b:Cam", "c:Cam"})));
        QVERIFY(presence.isStale("b"));
        QVERIFY(!presence.isStale("c"));
        presence.started("c", 2000);
        QVERIFY(!presence.isGone(9000)); // a stall without a list change is not a pull
        presence.updateList(cameras(L({"c:Cam"})));
        QVERIFY(!presence.isStale("b"));
        QVERIFY(!presence.isStale("c"));
        QVERIFY(!presence.isGone(9000));
    }
};

QTEST_APPLESS_MAIN(TestCameraPresence)
#include "test_camera_presence.moc"
