#pragma once

#include <QMarginsF>
#include <QPointF>
#include <QSizeF>
#include <QString>

class QPainter;
class TPrinter;
struct PrinterCalibration;

// Where the test page's crosshair sits, in millimetres from the paper's left and top edges.
inline constexpr double TestPageCrossMm = 30.0;

// What the test page is drawn from. All lengths in millimetres; paper and margins in the page's
// orientation. pageOrigin is where the page's (0, 0) lies on the paper: the paper's corner when
// measured from the paper's edge, otherwise the printable area's corner.
struct TestPageLayout
{
    int dpi = 300;
    QSizeF paperMm;
    QMarginsF marginsMm;
    QPointF pageOriginMm;
    QString infoLine;  // printer, paper, shift and mode
    QString crossLine; // where the crosshair is
};

// A paper position in millimetres (from the paper's corner) as device pixels on the page.
QPointF TestPagePoint(const TestPageLayout &layout, QPointF paperMm);

// Draws the test page: rulers along the four paper edges (a tick per millimetre, numbered every
// centimetre, measured from the paper's edge and starting at the printable area's edge), the crosshair
// at TestPageCrossMm from the paper's top-left corner, and the two lines of text.
void DrawTestPage(QPainter &painter, const TestPageLayout &layout);

// The test page's texts in the interface language, for the printer, its paper and a set-up.
QString TestPageInfoLine(const QString &printerName,
                         const QString &paperName,
                         QSizeF paperMm,
                         const PrinterCalibration &calibration);
QString TestPageCrossLine();

// Prints one test page on printer's current paper and orientation with the given set-up (for this
// job only; the printer's own set-up is the same afterwards). Throws the printer's errors.
void PrintTestPage(TPrinter &printer, const PrinterCalibration &calibration);
