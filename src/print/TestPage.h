#pragma once

#include <QMarginsF>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include "print/PrinterCalibration.h"

class QPainter;
class TPrinter;

// Where the test page's crosshair sits, in millimetres from the paper's left and top edges.
inline constexpr double TestPageCrossMm = 30.0;
// The length of the test page's two measuring lines, and how far a measured one may be off before the
// page counts as scaled on its way to paper (a ruler is read to half a millimetre).
inline constexpr double TestLineMm = 100.0;
inline constexpr double TestLineToleranceMm = 0.5;

// The set-up that puts the crosshair where the test page says it is: the page was printed with
// printed, and the ruler showed the crosshair's centre crossFromLeftMm from the left and crossFromTopMm
// from the top paper edge. The shift changes by the difference to TestPageCrossMm (landed too far
// right: the print moves left), held to the shift's range; the rest of printed stays.
PrinterCalibration
CalibrationFromMeasurement(const PrinterCalibration &printed, double crossFromLeftMm, double crossFromTopMm);
// Whether a measuring line read off the paper shows that the page was scaled on its way.
bool LineShowsScaling(double measuredMm);

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
// at TestPageCrossMm from the paper's top-left corner, the two lines of text, and a labelled line of
// TestLineMm across and another down, each between two end marks, where the paper has room for them.
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
