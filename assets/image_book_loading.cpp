// Loading catalogue pictures into the form's bitmaps and icon fills.
#include "app/frostpane_main_form.h"

void TFrostpaneMainForm::LoadPhotoFromImageBook(QImage &target, const QString &name)
{
    const QImage image = ImageBook.image(name);
    if (!image.isNull())
        target = image;
}

void TFrostpaneMainForm::LoadBitmapFromImageBook(BitmapRectangle *target, const QString &name)
{
    const QImage image = ImageBook.image(name);
    if (!image.isNull())
        target->setFillBitmap(image);
}
