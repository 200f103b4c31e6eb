#include "core/stored_settings.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace QTest {
template <>
char *toString(const StoredSettings &s)
{
    QByteArray text = "sensitivity " + QByteArray::number(s.cameraSensitivity) + ", freezing "
                      + QByteArray::number(s.freezingSpeed) + ", sound " + QByteArray::number(s.sound)
                      + ", back " + QByteArray::number(s.backCamera) + ", fullScreen "
                      + QByteArray::number(s.fullScreen) + ", geometry " + s.geometry.toHex() + ", resolutions";
    for (auto it = s.resolutions.cbegin(); it != s.resolutions.cend(); ++it)
        text += " [" + it.key().toUtf8() + "]="
                + (it->has_value() ? captureSettingText(**it).toUtf8() : QByteArray("default"));
    return qstrdup(text.constData());
}
} // namespace QTest

namespace {

StoredSettings with(const std::function<void(StoredSettings &)> &change)
{
    StoredSettings s;
    change(s);
    return s;
}

// The keys the warnings name, in order.
QStringList keysOf(const QStringList &warnings)
{
    QStringList keys;
    for (const QString &warning : warnings)
        keys.append(warning.section(QLatin1Char(':'), 0, 0));
    return keys;
}

} // namespace

// From the values of a settings file to the values the game takes.
class TestStoredSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QVariantMap>("values");
        QTest::addColumn<StoredSettings>("expected");
        QTest::addColumn<QStringList>("warnedKeys");

        QTest::newRow("no keys: the defaults") << QVariantMap{} << StoredSettings{} << QStringList{};
        QTest::newRow("every key as the game writes it")
            << QVariantMap{{u"game/cameraSensitivity"_s, u"-135"_s}, {u"game/freezingSpeed"_s, u"3"_s},
                           {u"game/sound"_s, u"false"_s}, {u"camera/back"_s, u"true"_s}, {u"window/fullScreen"_s, u"true"_s},
                           {u"window/geometry"_s, QByteArray("\x01\xd9\xd0\xcb", 4)},
                           {u"camera/resolution"_s, u"default"_s},
                           {u"camera/resolution/%2Fdev%2Fvideo0"_s, u"1280x720@30"_s},
                           {u"camera/resolution/usb%20cam"_s, u"default"_s}}
            << with([](StoredSettings &s) {
                   s.cameraSensitivity = -135;
                   s.freezingSpeed = 3;
                   s.sound = false;
                   s.backCamera = true;
                   s.fullScreen = true;
                   s.geometry = QByteArray("\x01\xd9\xd0\xcb", 4);
                   s.resolutions = {{QString(), std::nullopt},
                                    {u"/dev/video0"_s, VideoCaptureSetting{1280, 720, 30.0}},
                                    {u"usb cam"_s, std::nullopt}};
               })
            << QStringList{};
        QTest::newRow("written by hand: spaces, other truth words, typed values")
            << QVariantMap{{u"game/cameraSensitivity"_s, u" 765 "_s}, {u"game/freezingSpeed"_s, 1},
                           {u"game/sound"_s, u"Off"_s}, {u"camera/back"_s, u"yes"_s}, {u"window/fullScreen"_s, false}}
            << with([](StoredSettings &s) {
                   s.cameraSensitivity = 765;
                   s.freezingSpeed = 1;
                   s.sound = false;
                   s.backCamera = true;
               })
            << QStringList{};
        QTest::newRow("out of range: the nearest value in range")
            << QVariantMap{{u"game/cameraSensitivity"_s, u"-99999999999"_s}, {u"game/freezingSpeed"_s, u"101"_s}}
            << with([](StoredSettings &s) {
                   s.cameraSensitivity = -1530;
                   s.freezingSpeed = 100;
               })
            << QStringList{u"game/cameraSensitivity"_s, u"game/freezingSpeed"_s};
        QTest::newRow("just inside the range")
            << QVariantMap{{u"game/cameraSensitivity"_s, u"-1530"_s}, {u"game/freezingSpeed"_s, u"0"_s}}
            << with([](StoredSettings &s) {
                   s.cameraSensitivity = -1530;
                   s.freezingSpeed = 0;
               })
            << QStringList{};
        QTest::newRow("wrong kinds: the defaults, one warning each")
            << QVariantMap{{u"game/cameraSensitivity"_s, u"20.5"_s}, {u"game/freezingSpeed"_s, u"fast"_s},
                           {u"game/sound"_s, u"loud"_s}, {u"camera/back"_s, QStringList{u"a"_s, u"b"_s}},
                           {u"window/fullScreen"_s, u""_s}, {u"window/geometry"_s, u"1,2,3,4"_s},
                           {u"camera/resolution"_s, u"1280x720"_s},
                           {u"camera/resolution/x"_s, u"0x480@30"_s},
                           {u"camera/resolution/y"_s, u"640x480@0"_s},
                           {u"camera/resolution/z"_s, u"99999x480@30"_s}}
            << StoredSettings{}
            << QStringList{u"camera/back"_s,
                           u"camera/resolution"_s,
                           u"camera/resolution/x"_s,
                           u"camera/resolution/y"_s,
                           u"camera/resolution/z"_s,
                           u"game/cameraSensitivity"_s,
                           u"game/freezingSpeed"_s,
                           u"game/sound"_s,
                           u"window/fullScreen"_s,
                           u"window/geometry"_s};
        QTest::newRow("a number too long for any integer")
            << QVariantMap{{u"game/freezingSpeed"_s, u"123456789012345678901234567890"_s}} << StoredSettings{}
            << QStringList{u"game/freezingSpeed"_s};
        QTest::newRow("unknown keys are left alone")
            << QVariantMap{{u"game/colour"_s, u"blue"_s}, {u"other/cameraSensitivity"_s, u"1"_s}} << StoredSettings{}
            << QStringList{};
    }

    void read()
    {
        QFETCH(QVariantMap, values);
        QFETCH(StoredSettings, expected);
        QFETCH(QStringList, warnedKeys);
        const StoredSettingsReading reading = readStoredSettings(values);
        QCOMPARE(reading.settings, expected);
        QStringList keys = keysOf(reading.warnings);
        keys.sort();
        QCOMPARE(keys, warnedKeys);
    }

    void aBadValueKeepsTheBaseValue()
    {
        // A school's value stands when the user's own one is unusable.
        StoredSettings school;
        school.freezingSpeed = 4;
        school.resolutions.insert(QString(), VideoCaptureSetting{320, 240, 30.0});
        const StoredSettingsReading reading = readStoredSettings(
            {{u"game/freezingSpeed"_s, u"slow"_s}, {u"game/cameraSensitivity"_s, u"60"_s}}, school);
        QCOMPARE(reading.settings.freezingSpeed, 4);
        QCOMPARE(reading.settings.cameraSensitivity, 60);
        QCOMPARE(reading.settings.resolutionFor(u"any camera"_s), std::make_optional(VideoCaptureSetting{320, 240, 30.0}));
        QCOMPARE(reading.warnings.size(), 1);
    }

    void whatIsWrittenReadsBackTheSame()
    {
        const StoredSettings s = with([](StoredSettings &t) {
            t.cameraSensitivity = -1000;
            t.freezingSpeed = 77;
            t.sound = false;
            t.backCamera = true;
            t.fullScreen = true;
            t.geometry = QByteArray(300, '\xff');
            t.resolutions = {{u"/dev/video0"_s, VideoCaptureSetting{1280, 720, 29.97}},
                             {u"usb:0c45/6366"_s, VideoCaptureSetting{320, 240, 1.0 / 3.0}},
                             {u"cam=é"_s, std::nullopt}};
        });
        const StoredSettingsReading reading = readStoredSettings(storedSettingsValues(s));
        QCOMPARE(reading.settings, s);
        QVERIFY(reading.warnings.isEmpty());
        // Per-camera keys hold no slash of their own: it would make a group.
        for (const QString &key : storedSettingsValues(s).keys())
            QVERIFY2(key.count(QLatin1Char('/')) <= 2, qPrintable(key));
    }

    void resolutionForACamera()
    {
        StoredSettings s;
        QCOMPARE(s.resolutionFor(u"a"_s), std::nullopt);
        s.resolutions.insert(QString(), VideoCaptureSetting{1280, 720, 30.0});
        s.resolutions.insert(u"b"_s, std::nullopt);
        QCOMPARE(s.resolutionFor(u"a"_s), std::make_optional(VideoCaptureSetting{1280, 720, 30.0}));
        QCOMPARE(s.resolutionFor(u"b"_s), std::nullopt); // its own "default" wins
    }

    void captureSettingText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<VideoCaptureSetting>>("setting");
        QTest::newRow("whole rate") << QStringLiteral("640x480@30") << std::make_optional(VideoCaptureSetting{640, 480, 30.0});
        QTest::newRow("fractional rate") << QStringLiteral("1920x1080@29.97")
                                         << std::make_optional(VideoCaptureSetting{1920, 1080, 29.97});
        QTest::newRow("smallest") << QStringLiteral("1x1@0.5") << std::make_optional(VideoCaptureSetting{1, 1, 0.5});
        QTest::newRow("largest") << QStringLiteral("16384x16384@1000")
                                 << std::make_optional(VideoCaptureSetting{16384, 16384, 1000.0});
        for (const char *bad : {"", "default", "640x480", "640x480@", "640*480@30", "-640x480@30", "640x480@30fps",
                                "0x480@30", "640x0@30", "16385x480@30", "640x480@0", "640x480@1000.5",
                                "640x480@1e3", " 640x480@30"})
            QTest::newRow(qPrintable(QStringLiteral("rejected: \"%1\"").arg(QLatin1String(bad))))
                << QString::fromLatin1(bad) << std::optional<VideoCaptureSetting>();
    }

    void captureSettingText()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<VideoCaptureSetting>, setting);
        QCOMPARE(parseCaptureSetting(text), setting);
        if (setting)
            QCOMPARE(::captureSettingText(*setting), text);
    }
};

QTEST_APPLESS_MAIN(TestStoredSettings)
#include "test_stored_settings.moc"
