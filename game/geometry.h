#pragma once

#include <QRectF>

// A rectangle as four single-precision edges.
struct RectF
{
    float Left = 0.0f;
    float Top = 0.0f;
    float Right = 0.0f;
    float Bottom = 0.0f;

    float width() const { return Right - Left; }
    float height() const { return Bottom - Top; }
    QRectF toQRectF() const { return QRectF(QPointF(Left, Top), QPointF(Right, Bottom)); }
    friend bool operator==(const RectF &a, const RectF &b)
    {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    }
};

// Fits a source of sourceWidth x sourceHeight whole into the output, keeping
// its aspect ratio, centred, in whole pixels. The output size is cut toward
// zero first; a zero source dimension counts as 1. An odd margin leaves the
// extra pixel on the right or bottom.
RectF fitRect(int sourceWidth, int sourceHeight, double screenWidth, double screenHeight);

// The usable drawing height: the client height plus the title-bar term, which
// counts twice while the window is maximised. A missing screen scale counts as
// 1 so the term can never divide by zero.
double usableScreenHeight(int clientHeight, double titleBarHeight, double screenScale,
                          bool maximized);
