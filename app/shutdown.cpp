// Closing the window: a running camera is stopped first, never cut off.
#include "app/frostpane_main_form.h"

#include <QCloseEvent>
#include <QKeyEvent>

void TFrostpaneMainForm::closeEvent(QCloseEvent *event)
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TFrostpaneMainForm::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    FormKeyDown(key);
    QWidget::keyPressEvent(event);
}

void TFrostpaneMainForm::FormCloseQuery(bool &canClose)
{
    if (CameraComponent->isActive()) {
        // A request while stopping starts the count again.
        ExitCameraTicks = 0;
        ExitCameraTimer->start();
        canClose = false;
        return;
    }
    canClose = true;
}

void TFrostpaneMainForm::ExitCameraTimerTimer()
{
    if (CameraComponent->isActive()) {
        if (ExitCameraTicks == 0) {
            CameraWasActive = CameraComponent->isActive();
            CameraComponent->setActive(false);
        } else if (ExitCameraTicks == 1) {
            LoadBitmapFromImageBook(CameraIconRectangle, QStringLiteral("camera_off"));
        }
    }
    if (!CameraComponent->isActive() && ExitCameraTicks > 2) {
        ExitCameraTimer->stop();
        ExitCameraTicks = 0;
        close();
    }
    ExitCameraTicks += 1;
}

void TFrostpaneMainForm::FormKeyDown(int &key)
{
    if (key == Qt::Key_Escape)
        close();
}
