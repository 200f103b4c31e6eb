#include "app/application.h"

#include "app/main_window.h"
#include "camera/qt_video_camera.h"
#include "translations/translations.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>
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

// The icon theme's application icon, as the menu shows it; the one built in
// when no theme has it. Window managers and task bars read it from the window.
QIcon applicationIcon()
{
    QIcon builtIn;
    QDirIterator sizes(QStringLiteral(":/appicon"));
    while (sizes.hasNext())
        builtIn.addFile(sizes.next() + QStringLiteral("/apps/" FROSTPANE_APP_ID ".png"));
    return QIcon::fromTheme(QStringLiteral(FROSTPANE_APP_ID), builtIn);
}

void runWindow()
{
    MainWindow window(std::make_unique<QtVideoCamera>());
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
        QApplication::setWindowIcon(applicationIcon());
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
