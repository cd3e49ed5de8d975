#include "print/PrinterCalibration.h"

#include "core/Errors.h"
#include "core/PaperFormats.h"
#include "core/SettingsStore.h"

#include <QPainter>
#include <QSettings>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

const QString FromPaperEdgeKey = QStringLiteral("FromPaperEdge");
const QString ShiftAcrossKey = QStringLiteral("ShiftAcrossMm");
const QString ShiftDownKey = QStringLiteral("ShiftDownMm");
const QString ShortEdgeFirstKey = QStringLiteral("ShortEdgeFirst");
const QString TurnedHalfKey = QStringLiteral("TurnedHalf");

double shiftFrom(const QVariant &value)
{
    bool ok = false;
    const double mm = value.toDouble(&ok);
    return ok ? ClampShiftMm(mm) : 0.0;
}

} // namespace

double ClampShiftMm(double mm)
{
    if (!std::isfinite(mm))
        return 0.0;
    const double tenths
            = std::round(std::clamp(mm, PrinterCalibration::MinShift, PrinterCalibration::MaxShift) * 10.0);
    // -0.0 would show as "-0,0" in the dialog.
    return tenths == 0.0 ? 0.0 : tenths / 10.0;
}

QString CalibrationGroup(const QString &printerName)
{
    // Print service names hold no slash; the percent-encoding keeps any other name one group.
    const QString name = printerName.isEmpty() ? QStringLiteral("(pdf)")
                                               : QString::fromLatin1(QUrl::toPercentEncoding(printerName));
    return QStringLiteral("Printers/") + name;
}

PrinterCalibration LoadCalibration(QSettings &store, const QString &printerName)
{
    PrinterCalibration c;
    store.beginGroup(CalibrationGroup(printerName));
    c.fromPaperEdge = store.value(FromPaperEdgeKey, false).toBool();
    c.shiftAcrossMm = shiftFrom(store.value(ShiftAcrossKey, 0.0));
    c.shiftDownMm = shiftFrom(store.value(ShiftDownKey, 0.0));
    c.shortEdgeFirst = store.value(ShortEdgeFirstKey, false).toBool();
    c.turnedHalf = store.value(TurnedHalfKey, false).toBool();
    store.endGroup();
    return c;
}

void SaveCalibration(QSettings &store, const QString &printerName, const PrinterCalibration &calibration)
{
    store.beginGroup(CalibrationGroup(printerName));
    store.setValue(FromPaperEdgeKey, calibration.fromPaperEdge);
    store.setValue(ShiftAcrossKey, ClampShiftMm(calibration.shiftAcrossMm));
    store.setValue(ShiftDownKey, ClampShiftMm(calibration.shiftDownMm));
    store.setValue(ShortEdgeFirstKey, calibration.shortEdgeFirst);
    store.setValue(TurnedHalfKey, calibration.turnedHalf);
    store.endGroup();
    store.sync();
    const QString error = SettingsStoreError(
            store, QStringLiteral("Die Druckereinstellung kann nicht in „%1“ gespeichert werden."));
    if (!error.isEmpty())
        throw EInOutError(error);
}

PrinterCalibration LoadCalibration(const QString &printerName)
{
    return LoadCalibration(*OpenSettingsStore(), printerName);
}

void SaveCalibration(const QString &printerName, const PrinterCalibration &calibration)
{
    SaveCalibration(*OpenSettingsStore(), printerName, calibration);
}

QTransform FeedTransform(const QSizeF &paper, const PrinterCalibration &calibration)
{
    QTransform t;
    QSizeF fed = paper;
    if (calibration.shortEdgeFirst) {
        t = QTransform(0, 1, -1, 0, paper.height(), 0);
        fed.transpose();
    }
    if (calibration.turnedHalf)
        t = t * QTransform(-1, 0, 0, -1, fed.width(), fed.height());
    return t;
}

QPoint ShiftInPixels(const PrinterCalibration &calibration, int dpi)
{
    return QPoint(int(std::trunc(calibration.shiftAcrossMm / MmPerInch * dpi)),
                  int(std::trunc(calibration.shiftDownMm / MmPerInch * dpi)));
}

void ApplyPrintShift(QPainter &painter, const PrinterCalibration &calibration, int dpi)
{
    const QPoint shift = ShiftInPixels(calibration, dpi);
    // Set also without a shift: the printer's paint engine outlives the painter and would otherwise
    // keep the previous job's shift for a job whose painter never changes its transform.
    const QRect window = painter.window();
    painter.setViewport(window.translated(shift));
}

QRect PrintableRectInSheet(const QSize &sheetSize, const QSizeF &paperMm, const QMarginsF &marginsMm)
{
    if (paperMm.width() <= 0 || paperMm.height() <= 0)
        return QRect(QPoint(0, 0), sheetSize);
    const double sx = sheetSize.width() / paperMm.width();
    const double sy = sheetSize.height() / paperMm.height();
    const int left = int(std::trunc(marginsMm.left() * sx));
    const int top = int(std::trunc(marginsMm.top() * sy));
    const int right = int(std::trunc((paperMm.width() - marginsMm.right()) * sx));
    const int bottom = int(std::trunc((paperMm.height() - marginsMm.bottom()) * sy));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void DrawPrintableBorder(QPainter &painter, const QRect &printable)
{
    painter.save();
    QPen pen(Qt::darkGray);
    pen.setStyle(Qt::DashLine);
    pen.setWidth(0); // cosmetic: one device pixel at every zoom
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A one-pixel outline of a QRect covers one more pixel to the right and below.
    painter.drawRect(printable.adjusted(0, 0, -1, -1));
    painter.restore();
}
