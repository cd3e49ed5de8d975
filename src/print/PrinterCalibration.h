#pragma once

#include <QMarginsF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>

class QPainter;
class QSettings;

// How one printer is set up for exact placement: whether the layout is measured from the paper's
// edge (the whole paper, origin at its corner) instead of from the printable area's corner, and a
// shift of everything printed, in millimetres, for printers that feed off-centre.
struct PrinterCalibration
{
    static constexpr double MinShift = -20.0;
    static constexpr double MaxShift = 20.0;

    bool fromPaperEdge = false;
    double shiftAcrossMm = 0.0; // positive: to the right
    double shiftDownMm = 0.0;   // positive: downwards
    // How the printer takes an envelope: short edge first (the job's page is turned a quarter against
    // the envelope), and turned by 180 degrees. Shift and margins stay as the envelope lies.
    bool shortEdgeFirst = false;
    bool turnedHalf = false;

    bool operator==(const PrinterCalibration &) const = default;
};

// A shift as it is stored and used: within -20 to +20 mm, in whole tenths; not a number reads as 0.
double ClampShiftMm(double mm);

// The settings group a printer's set-up lives under; the built-in PDF printer (empty name) has one too.
QString CalibrationGroup(const QString &printerName);

// Reads and writes one printer's set-up in the per-user settings store; a printer never set up reads
// as the default (measured from the printable area, no shift). A store that cannot be written raises
// EInOutError.
PrinterCalibration LoadCalibration(QSettings &store, const QString &printerName);
void SaveCalibration(QSettings &store, const QString &printerName, const PrinterCalibration &calibration);
// The same on the program's own settings store.
PrinterCalibration LoadCalibration(const QString &printerName);
void SaveCalibration(const QString &printerName, const PrinterCalibration &calibration);

// Whether the job's page lies otherwise than the envelope (short edge first, or turned).
inline bool FeedsTurned(const PrinterCalibration &c)
{
    return c.shortEdgeFirst || c.turnedHalf;
}

// Maps a point on the paper as the envelope lies (paper: its size in the same unit, in the envelope's
// orientation) to the same point on the paper as the printer takes it: a quarter turn clockwise for a
// short-edge feed, (x, y) -> (height - y, x), then half a turn when turned. Identity otherwise.
QTransform FeedTransform(const QSizeF &paper, const PrinterCalibration &calibration);

// A shift in device pixels at dpi, truncated toward zero like every other length on the canvas.
QPoint ShiftInPixels(const PrinterCalibration &calibration, int dpi);

// Moves everything drawn on painter afterwards by the calibration's shift, beneath any world transform
// the renderers set (they reset it to the identity for the portrait layout).
void ApplyPrintShift(QPainter &painter, const PrinterCalibration &calibration, int dpi);

// The printable area inside a sheet of sheetSize pixels that stands for a paper of paperMm with the
// unprintable margins marginsMm: scaled from millimetres to the sheet's pixels, truncated.
QRect PrintableRectInSheet(const QSize &sheetSize, const QSizeF &paperMm, const QMarginsF &marginsMm);

// Draws the printable area's edge as a thin dashed line, as the preview shows it.
void DrawPrintableBorder(QPainter &painter, const QRect &printable);
