#include "core/capture_resolutions.h"
#include "core/settings_mapping.h"

#include <QtTest>

using Settings = QList<VideoCaptureSetting>;

namespace QTest {
template <>
char *toString(const VideoCaptureSetting &s)
{
    const QByteArray text = QByteArray::number(s.width) + 'x' + QByteArray::number(s.height) + '@'
                            + QByteArray::number(s.frameRate);
    return qstrdup(text.constData());
}
} // namespace QTest

class TestCaptureResolutions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reduce_data()
    {
        QTest::addColumn<Settings>("available");
        QTest::addColumn<Settings>("expectedEntries"); // the valid ones, 0..last
        QTest::addColumn<VideoCaptureSetting>("expectedDefault");

        const VideoCaptureSetting none{640, 480, 0.0};
        QTest::newRow("typical webcam: fastest 640x480 wins, sizes in order of appearance")
            << Settings{{1280, 720, 30}, {640, 480, 15}, {640, 480, 30}, {1920, 1080, 30}}
            << Settings{{1280, 720, 30}, {640, 480, 30}, {1920, 1080, 30}}
            << VideoCaptureSetting{640, 480, 30};
        QTest::newRow("2560x1440 not first is left out, 1080 lines pass")
            << Settings{{640, 480, 30}, {2560, 1440, 30}, {1920, 1080, 30}}
            << Settings{{640, 480, 30}, {1920, 1080, 30}} << VideoCaptureSetting{640, 480, 30};
        QTest::newRow("2560x1440 first seeds the list and stays")
            << Settings{{2560, 1440, 30}, {640, 480, 30}}
            << Settings{{2560, 1440, 30}, {640, 480, 30}} << VideoCaptureSetting{640, 480, 30};
        QTest::newRow("no 640x480: default has frame rate 0")
            << Settings{{1280, 720, 30}, {320, 240, 30}}
            << Settings{{1280, 720, 30}, {320, 240, 30}} << none;
        QTest::newRow("one setting")
            << Settings{{640, 480, 25}} << Settings{{640, 480, 25}} << VideoCaptureSetting{640, 480, 25};
        QTest::newRow("equal rates: the earlier stays")
            << Settings{{800, 600, 20, }, {800, 600, 20}, {640, 480, 10}, {640, 480, 10}}
            << Settings{{800, 600, 20}, {640, 480, 10}} << VideoCaptureSetting{640, 480, 10};
        QTest::newRow("640x480 last in the list")
            << Settings{{1280, 720, 30}, {800, 600, 30}, {640, 480, 30}}
            << Settings{{1280, 720, 30}, {800, 600, 30}, {640, 480, 30}} << VideoCaptureSetting{640, 480, 30};
        QTest::newRow("a slower duplicate does not replace a faster entry")
            << Settings{{1280, 720, 30}, {1280, 720, 10}}
            << Settings{{1280, 720, 30}} << none;
        QTest::newRow("no device") << Settings{} << Settings{} << none;
    }

    void reduce()
    {
        QFETCH(Settings, available);
        QFETCH(Settings, expectedEntries);
        QFETCH(VideoCaptureSetting, expectedDefault);

        const CaptureResolutions r = reduceCaptureSettings(available);
        QCOMPARE(r.defaultSetting, expectedDefault);
        QCOMPARE(r.entries.size(), available.size());
        QCOMPARE(r.last, std::max<int>(0, expectedEntries.size() - 1));
        QCOMPARE(r.entries.mid(0, expectedEntries.size()), expectedEntries);
        for (int k = expectedEntries.size(); k < r.entries.size(); ++k)
            QCOMPARE(r.entries[k], VideoCaptureSetting{});
    }

    void labels()
    {
        QCOMPARE(resolutionLabel({640, 480, 30}), QStringLiteral("Camera width = 640, height = 480"));
        QCOMPARE(resolutionLabel({1920, 1080, 60}), QStringLiteral("Camera width = 1920, height = 1080"));
    }

    void sliderMapping_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("index");
        QTest::newRow("leftmost is the last entry") << 0.0 << 2 << 2;
        QTest::newRow("rightmost is the first entry") << 2.0 << 2 << 0;
        QTest::newRow("1.9 counts as 1") << 1.9 << 2 << 1;
        QTest::newRow("below range clamps to last") << -3.0 << 2 << 2;
        QTest::newRow("above range clamps to first") << 7.0 << 2 << 0;
        QTest::newRow("single entry") << 0.0 << 0 << 0;
    }

    void sliderMapping()
    {
        QFETCH(double, position);
        QFETCH(int, last);
        QFETCH(int, index);
        QCOMPARE(resolutionIndexOfPosition(position, last), index);
    }

    void positionOfIndexIsTheMirror()
    {
        QCOMPARE(resolutionPositionOfIndex(1, 2), 1); // 640x480 of the typical webcam
        QCOMPARE(resolutionPositionOfIndex(2, 2), 0);
        QCOMPARE(resolutionPositionOfIndex(0, 2), 2);
        QCOMPARE(resolutionPositionOfIndex(5, 2), 0);
        QCOMPARE(resolutionPositionOfIndex(-1, 2), 2);
        for (int last = 0; last < 5; ++last)
            for (int j = 0; j <= last; ++j)
                QCOMPARE(resolutionIndexOfPosition(resolutionPositionOfIndex(j, last), last), j);
    }

    void sensitivityMapping_data()
    {
        QTest::addColumn<double>("slider");
        QTest::addColumn<int>("sensitivity");
        QTest::newRow("0 -> 765") << 0.0 << 765;
        QTest::newRow("255 -> 0") << 255.0 << 0;
        QTest::newRow("300 -> -135") << 300.0 << -135;
        QTest::newRow("100.4 -> trunc(463.8)") << 100.4 << 463;
        QTest::newRow("765 -> -1530") << 765.0 << -1530;
    }

    void sensitivityMapping()
    {
        QFETCH(double, slider);
        QFETCH(int, sensitivity);
        QCOMPARE(sensitivityFromSlider(slider), sensitivity);
    }

    void slidersShowTheSettings()
    {
        QCOMPARE(sensitivitySliderValue(20), 249);
        QCOMPARE(sensitivitySliderValue(-135), 300);
        QCOMPARE(freezingSpeedFromSlider(10.9), 10);
    }
};

QTEST_APPLESS_MAIN(TestCaptureResolutions)
#include "test_capture_resolutions.moc"
