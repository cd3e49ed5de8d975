#pragma once

// Image helpers shared by the render tests: images at a fixed resolution and ink bounding boxes.

#include <QColor>
#include <QImage>
#include <QRect>

#include <climits>
#include <cmath>
#include <functional>

inline QImage imageAtDpi(int width, int height, int dpi, QColor fill = Qt::white)
{
    QImage image(width, height, QImage::Format_RGB32);
    const int dpm = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(fill);
    return image;
}

// Bounding box of the pixels inside area for which isInk holds; null when there are none.
inline QRect inkBox(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &isInk)
{
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    const QRect a = area & image.rect();
    for (int y = a.top(); y <= a.bottom(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = a.left(); x <= a.right(); ++x) {
            if (isInk(line[x])) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    if (left == INT_MAX)
        return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

inline bool notWhite(QRgb c)
{
    return (c & 0xFFFFFF) != 0xFFFFFF;
}

// Pure red as drawn by a solid red picture (text is black or grey, never red).
inline bool isRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

inline QRect inkBox(const QImage &image, const QRect &area)
{
    return inkBox(image, area, notWhite);
}
