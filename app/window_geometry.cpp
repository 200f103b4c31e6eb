#include "app/window_geometry.h"

#include <QDataStream>

QString savedGeometryProblem(const QByteArray &saved, const QList<QRect> &screens)
{
    // The head of what QWidget::saveGeometry writes (format 3 on Qt 6; the
    // earlier ones begin alike): a magic number, the format's version, the
    // frame's rectangle and the window's own.
    QDataStream stream(saved);
    stream.setVersion(QDataStream::Qt_4_0);
    quint32 magic = 0;
    quint16 major = 0;
    quint16 minor = 0;
    QRect frame;
    QRect normal;
    stream >> magic >> major >> minor >> frame >> normal;
    if (stream.status() != QDataStream::Ok || magic != 0x1D9D0CB || major < 1 || major > 3 || !frame.isValid()
        || !normal.isValid())
        return QStringLiteral("not a saved window geometry");
    if (normal.width() < kMinimumWindowSize.width() || normal.height() < kMinimumWindowSize.height())
        return QStringLiteral("%1 x %2 is smaller than %3 x %4")
            .arg(normal.width())
            .arg(normal.height())
            .arg(kMinimumWindowSize.width())
            .arg(kMinimumWindowSize.height());
    // Enough of the window on a screen to take hold of it.
    for (const QRect &screen : screens) {
        const QRect shown = screen.intersected(frame);
        if (shown.width() >= kMinimumWindowSize.width() / 2 && shown.height() >= kMinimumWindowSize.height() / 2)
            return {};
    }
    return QStringLiteral("at %1, %2 it is on none of the screens").arg(frame.x()).arg(frame.y());
}
