#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// The smallest window the game can be played in: the picture, the bar and
// the buttons stay usable down to this.
inline constexpr QSize kMinimumWindowSize{320, 240};

// Why a window geometry saved by QWidget::saveGeometry cannot be restored
// on screens whose available areas are `screens`: not such a value (junk,
// cut short), smaller than kMinimumWindowSize, or on none of the screens.
// Empty when it can be restored.
QString savedGeometryProblem(const QByteArray &saved, const QList<QRect> &screens);
