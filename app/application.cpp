#include "app/application.h"

#include "app/main_window.h"
#include "camera/qt_video_camera.h"
#include "sound/sound_output.h"
#include "translations/translations.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

#include <exception>

namespace {

void showException(const QString &message)
{
    qCritical("Frostpane stopped: %s", qPrintable(message));
    if (!QApplication::instance())
        return;
    // The error's own words are for whoever fixes it; the parent reads what
    // happened in their language.
    QMessageBox box(QMessageBox::Critical,
                    QCoreApplication::translate("Application", "Frostpane"),
                    QCoreApplication::translate("Application", "Frostpane has stopped because of an error."),
                    QMessageBox::Ok);
    box.setInformativeText(message);
    box.exec();
}

void runWindow()
{
    MainWindow window(std::make_unique<QtVideoCamera>());
    // After the camera: Qt's media devices then belong to this thread. The
    // sound opens its device on a thread of its own, so the window never
    // waits for a sound server.
    window.setSounds(std::make_unique<SoundOutput>());
    if (const QScreen *display = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(display->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    QApplication::exec();
}

} // namespace

int runFrostpane(int argc, char *argv[])
{
    // Widgets draw on the CPU; this also keeps video frame conversion off the
    // slow OpenGL path under X.
    QApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    try {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Frostpane"));
        QApplication::setApplicationVersion(QStringLiteral(FROSTPANE_VERSION));
        QGuiApplication::setDesktopFileName(QStringLiteral(FROSTPANE_APP_ID));
        // The system's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG); English
        // when the game has no translation for it.
        installTranslations(application, QLocale());
        try {
            runWindow();
        } catch (const std::exception &error) {
            showException(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            showException(QString());
        }
    } catch (const std::exception &error) {
        showException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showException(QString());
    }
    return 0;
}
