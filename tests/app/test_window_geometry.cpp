#include "app/window_geometry.h"

#include <QApplication>
#include <QWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// What the window saves for this place and size.
QByteArray savedAt(const QRect &geometry)
{
    QWidget window;
    window.setGeometry(geometry);
    return window.saveGeometry();
}

const QList<QRect> kOneScreen{{0, 0, 1920, 1080}};
const QList<QRect> kTwoScreens{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};

} // namespace

// A remembered window comes back only at a size it can be played in and on
// a screen that is there.
class TestWindowGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void problem_data()
    {
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QString>("problem"); // what the reason says; empty: restored

        QTest::newRow("a usual window") << savedAt({100, 100, 640, 480}) << kOneScreen << QString();
        QTest::newRow("the smallest") << savedAt({100, 100, 320, 240}) << kOneScreen << QString();
        QTest::newRow("on the second screen") << savedAt({2000, 100, 640, 480}) << kTwoScreens << QString();
        QTest::newRow("1 x 1") << savedAt({100, 100, 1, 1}) << kOneScreen << u"smaller than 320 x 240"_s;
        QTest::newRow("a pixel too narrow") << savedAt({100, 100, 319, 480}) << kOneScreen << u"smaller"_s;
        QTest::newRow("a pixel too low") << savedAt({100, 100, 640, 239}) << kOneScreen << u"smaller"_s;
        QTest::newRow("on a screen that is gone")
            << savedAt({2000, 100, 640, 480}) << kOneScreen << u"on none of the screens"_s;
        QTest::newRow("far off") << savedAt({-90000, 90000, 640, 480}) << kTwoScreens << u"on none"_s;
        QTest::newRow("junk") << QByteArray("here") << kOneScreen << u"not a saved window geometry"_s;
        QTest::newRow("cut short") << savedAt({100, 100, 640, 480}).left(20) << kOneScreen
                                   << u"not a saved window geometry"_s;
        QByteArray wrongMagic = savedAt({100, 100, 640, 480});
        wrongMagic[0] = char(0x7f);
        QTest::newRow("another magic number") << wrongMagic << kOneScreen << u"not a saved window geometry"_s;
    }

    void problem()
    {
        QFETCH(QByteArray, saved);
        QFETCH(QList<QRect>, screens);
        QFETCH(QString, problem);
        const QString found = savedGeometryProblem(saved, screens);
        if (problem.isEmpty())
            QVERIFY2(found.isEmpty(), qPrintable(found));
        else
            QVERIFY2(found.contains(problem), qPrintable(found));
    }
};

QTEST_MAIN(TestWindowGeometry)
#include "test_window_geometry.moc"
