#include "app/termination_signals.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QtTest>

#include <signal.h>

// SIGTERM, SIGHUP and SIGINT reach the event loop as a Qt signal instead of ending
// the process.
class TestTerminationSignals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aSignalBecomesARequest_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT (Ctrl-C)") << int(SIGINT);
    }

    void aSignalBecomesARequest()
    {
        QFETCH(int, signal);
        TerminationSignals termination;
        QVERIFY(termination.isActive());
        QSignalSpy requested(&termination, &TerminationSignals::terminationRequested);
        QCOMPARE(::raise(signal), 0); // would end the test without the handler
        QVERIFY(requested.wait(5000));
        QCOMPARE(requested.size(), 1);
        QCOMPARE(requested.constFirst().constFirst().toInt(), signal);
    }

    void theDefaultComesBackAfterwards()
    {
        {
            TerminationSignals termination;
            struct sigaction current
            { };
            QCOMPARE(::sigaction(SIGTERM, nullptr, &current), 0);
            QVERIFY(current.sa_handler != SIG_DFL);
        }
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            struct sigaction current
            { };
            QCOMPARE(::sigaction(signal, nullptr, &current), 0);
            QVERIFY(current.sa_handler == SIG_DFL);
        }
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "test_termination_signals.moc"
