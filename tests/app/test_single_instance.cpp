#include "app/single_instance.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <thread>

using namespace Qt::StringLiterals;

// The lock and the request to come to the front, between two games of one
// user on one display.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }

    void theSecondStartFindsTheFirstAndAsksItToShow()
    {
        SingleInstance first(m_dir->path());
        QVERIFY(first.claim());
        QVERIFY(first.listen());
        QSignalSpy shown(&first, &SingleInstance::showRequested);

        // The second start runs beside the first's event loop, as another
        // process would.
        bool secondClaimed = true;
        bool answered = false;
        std::thread secondStart([&] {
            SingleInstance second(m_dir->path());
            secondClaimed = second.claim();
            if (!secondClaimed)
                answered = second.askRunningGameToShow(5000);
        });
        QVERIFY(shown.wait(10000));
        secondStart.join();
        QVERIFY(!secondClaimed);
        QVERIFY(answered);
        QCOMPARE(shown.size(), 1);
    }

    void nobodyAnswersWhenTheHolderDoesNotListen()
    {
        SingleInstance first(m_dir->path());
        QVERIFY(first.claim());
        SingleInstance second(m_dir->path());
        QVERIFY(!second.claim());
        QVERIFY(!second.askRunningGameToShow(100));
    }

    void aLockLeftByACrashDoesNotBlock()
    {
        // A game that took the lock and the socket and died without a word.
        QProcess crashing;
        crashing.start(QCoreApplication::applicationFilePath(), {u"--crash-holding-lock"_s, m_dir->path()});
        QVERIFY(crashing.waitForFinished(10000));
        QCOMPARE(crashing.exitCode(), 3);
        SingleInstance next(m_dir->path());
        QVERIFY(QFileInfo::exists(next.lockPath()));
        QVERIFY(QFileInfo::exists(next.socketPath()));

        QVERIFY(next.claim());
        QVERIFY(next.listen());
        QSignalSpy shown(&next, &SingleInstance::showRequested);
        std::thread later([this] { SingleInstance(m_dir->path()).askRunningGameToShow(5000); });
        QVERIFY(shown.wait(10000));
        later.join();
    }

    void anotherDisplayIsAnotherGame()
    {
        qputenv("DISPLAY", ":7");
        SingleInstance seven(m_dir->path());
        qputenv("DISPLAY", ":8");
        SingleInstance eight(m_dir->path());
        QVERIFY(seven.lockPath() != eight.lockPath());
        QVERIFY(seven.claim());
        QVERIFY(eight.claim());
    }

    void noLockFolderStillPlays()
    {
        SingleInstance nowhere(m_dir->filePath(u"no/such/folder"_s));
        QVERIFY(nowhere.claim());
    }

private:
    std::optional<QTemporaryDir> m_dir;
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--crash-holding-lock") == 0) {
        QCoreApplication application(argc, argv);
        SingleInstance instance(QString::fromLocal8Bit(argv[2]));
        if (!instance.claim() || !instance.listen())
            return 1;
        std::_Exit(3);
    }
    QCoreApplication application(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_single_instance.moc"
