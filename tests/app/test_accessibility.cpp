#include "support/window_fixture.h"
#include "widgets/float_slider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

// What a screen reader finds in the window, and the keyboard in the settings
// panel; outside the panel the keyboard changes nothing of the play.
class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyToolIsANamedButton_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("camera") << QByteArray("cameraIcon") << QStringLiteral("Camera");
        QTest::newRow("settings") << QByteArray("settingsIcon") << QStringLiteral("Settings");
        QTest::newRow("eye") << QByteArray("eyeIcon") << QStringLiteral("View");
        QTest::newRow("about") << QByteArray("aboutIcon") << QStringLiteral("About");
        QTest::newRow("switch") << QByteArray("switchCameraIcon") << QStringLiteral("Switch camera");
        QTest::newRow("next") << QByteArray("nextPictureIcon") << QStringLiteral("Next picture");
        QTest::newRow("previous") << QByteArray("previousPictureIcon") << QStringLiteral("Previous picture");
        QTest::newRow("picture") << QByteArray("pictureView") << QStringLiteral("Picture");
    }

    void everyToolIsANamedButton()
    {
        QFETCH(QByteArray, control);
        QFETCH(QString, name);
        WindowFixture f(typicalWebcamSettings());
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(f.find(control.constData()));
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::Button);
        QCOMPARE(accessible->text(QAccessible::Name), name);
        QVERIFY(accessible->text(QAccessible::Description).size() > 10);
        QVERIFY(accessible->actionInterface());
        QCOMPARE(accessible->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    }

    // The press action is a tap with the tap's rules: it starts the camera.
    void pressingTheCameraButtonStartsTheCamera()
    {
        WindowFixture f(typicalWebcamSettings());
        f.clock.advance(600);
        QAccessible::queryAccessibleInterface(f.find("cameraIcon"))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(f.camera->isActive());
    }

    void slidersShowNameValueAndRange_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        // Two sizes offered: 640 x 480 and 1280 x 720.
        QTest::newRow("resolution") << QByteArray("resolutionSlider") << QStringLiteral("Camera resolution") << 0.0
                                    << 1.0;
        QTest::newRow("sensitivity") << QByteArray("sensitivitySlider") << QStringLiteral("Camera sensitivity") << 0.0
                                     << 765.0;
        QTest::newRow("freezing") << QByteArray("freezingSpeedSlider") << QStringLiteral("Freezing speed") << 0.0
                                  << 100.0;
    }

    void slidersShowNameValueAndRange()
    {
        QFETCH(QByteArray, control);
        QFETCH(QString, name);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        WindowFixture f(typicalWebcamSettings());
        f.openSettings();
        auto *slider = f.find<FloatSlider>(control.constData());
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(slider);
        QCOMPARE(accessible->role(), QAccessible::Slider);
        QCOMPARE(accessible->text(QAccessible::Name), name);
        QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
        QAccessibleValueInterface *value = accessible->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->minimumValue().toDouble(), minimum);
        QCOMPARE(value->maximumValue().toDouble(), maximum);
        QCOMPARE(value->currentValue().toDouble(), slider->value());
    }

    // Tab walks the panel's controls in order, the keys move a slider, and
    // Return takes the values as OK does.
    void theSettingsPanelWorksByKeyboard()
    {
        WindowFixture f(typicalWebcamSettings());
        f.openSettings();
        QVERIFY(f.shown("okButton"));
        QWidget *window = f.window.get();
        // Top to bottom, as they stand on the screen.
        const char *const order[] = {"resolutionSlider", "sensitivitySlider",   "soundSwitch",
                                     "waveToGoOnSwitch", "freezingSpeedSlider", "okButton"};
        QCOMPARE(QApplication::focusWidget(), f.find(order[0]));
        for (std::size_t i = 1; i < std::size(order); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(order[i]));
        }
        for (std::size_t i = std::size(order) - 1; i > 4; --i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(order[i - 1]));
        }
        // Back on the freezing speed: up by one, up by a page.
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("freezingSpeedSlider"));
        auto *freezing = f.find<FloatSlider>("freezingSpeedSlider");
        const double before = freezing->value();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
        QCOMPARE(freezing->value(), before + 11.0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!f.shown("okButton"));

        // The value was taken: the panel opens with it again.
        f.openSettings();
        QCOMPARE(f.find<FloatSlider>("freezingSpeedSlider")->value(), before + 11.0);
        // Space on OK presses it too.
        f.find("okButton")->setFocus();
        QTest::keyClick(f.find("okButton"), Qt::Key_Space);
        QVERIFY(!f.shown("okButton"));
        Q_UNUSED(window);
    }

    // A child drumming on the keyboard: no key but Escape and F11 does
    // anything outside the panel.
    void outsideThePanelKeysChangeNothing()
    {
        WindowFixture f(typicalWebcamSettings(), typicalWebcamSettings());
        f.tap("pictureView");
        const QImage before = f.screen();
        for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Return, Qt::Key_Space, Qt::Key_Right, Qt::Key_Left, Qt::Key_PageUp,
                            Qt::Key_Up, Qt::Key_A, Qt::Key_Enter, Qt::Key_Backtab}) {
            QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : f.window.get();
            QTest::keyClick(target, key);
        }
        QVERIFY(!f.camera->isActive());
        QVERIFY(!f.shown("okButton"));
        QVERIFY(!f.shown("aboutText"));
        QCOMPARE(f.screen(), before);
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
