#include "app/frostpane_app.h"

#include "app/frostpane_main_form.h"
#include "camera/qt_video_camera.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

#include <exception>

namespace {

void showException(const QString &message)
{
    qCritical("Frostpane stopped: %s", qPrintable(message));
    if (QApplication::instance())
        QMessageBox::critical(nullptr, QStringLiteral("Frostpane"), message);
}

} // namespace

int FMXmain(int argc, char *argv[])
{
    // Widgets draw on the CPU; this also keeps video frame conversion off the
    // slow OpenGL path under X.
    QApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    try {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Frostpane"));
        QApplication::setApplicationVersion(QStringLiteral("1.0"));
        try {
            TFrostpaneMainForm form(std::make_unique<QtVideoCamera>());
            if (const QScreen *display = form.screen()) {
                QRect frame = form.frameGeometry();
                frame.moveCenter(display->availableGeometry().center());
                form.move(frame.topLeft());
            }
            form.show();
            QApplication::exec();
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
