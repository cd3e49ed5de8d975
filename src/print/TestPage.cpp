#include "print/TestPage.h"

#include "core/PaperFormats.h"
#include "core/translateunit.h"
#include "print/Printer.h"
#include "print/PrinterCalibration.h"

#include <QFont>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace {

double pixels(const TestPageLayout &l, double mm)
{
    return mm / MmPerInch * l.dpi;
}

QString mmNumber(double mm)
{
    return QLocale().toString(mm, 'f', 1);
}

} // namespace

QPointF TestPagePoint(const TestPageLayout &layout, QPointF paperMm)
{
    return QPointF(pixels(layout, paperMm.x() - layout.pageOriginMm.x()),
                   pixels(layout, paperMm.y() - layout.pageOriginMm.y()));
}

void DrawTestPage(QPainter &painter, const TestPageLayout &l)
{
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(pixels(l, 0.15));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(6);
    painter.setFont(font);

    const double w = l.paperMm.width();
    const double h = l.paperMm.height();
    const QMarginsF m = l.marginsMm;
    auto line = [&](double x1, double y1, double x2, double y2) {
        painter.drawLine(TestPagePoint(l, {x1, y1}), TestPagePoint(l, {x2, y2}));
    };
    auto tick = [](int mm) { return mm % 10 == 0 ? 5.0 : mm % 5 == 0 ? 3.5 : 2.0; };
    auto label = [&](QPointF at, int mm) {
        const QPointF p = TestPagePoint(l, at);
        painter.drawText(QRectF(p.x() - pixels(l, 5), p.y() - pixels(l, 2), pixels(l, 10), pixels(l, 4)),
                         Qt::AlignCenter,
                         QString::number(mm));
    };

    // Across: ticks hang from the printable area's top edge and stand on its bottom edge, each at its
    // distance from the paper's left edge; the centimetres carry their number, except at the corners where
    // the other rulers' numbers stand.
    for (int x = int(std::ceil(m.left())); x <= int(std::floor(w - m.right())); ++x) {
        line(x, m.top(), x, m.top() + tick(x));
        line(x, h - m.bottom(), x, h - m.bottom() - tick(x));
        if (x % 10 == 0 && x >= m.left() + 5 && x <= w - m.right() - 5) {
            label({double(x), m.top() + 7.5}, x);
            label({double(x), h - m.bottom() - 7.5}, x);
        }
    }
    // Down: the same along the left and right edges, measured from the paper's top edge.
    for (int y = int(std::ceil(m.top())); y <= int(std::floor(h - m.bottom())); ++y) {
        line(m.left(), y, m.left() + tick(y), y);
        line(w - m.right(), y, w - m.right() - tick(y), y);
        if (y % 10 == 0 && y >= m.top() + 5 && y <= h - m.bottom() - 5) {
            label({m.left() + 8.5, double(y)}, y);
            label({w - m.right() - 8.5, double(y)}, y);
        }
    }

    // The crosshair: two 16 mm lines and a ring, centred on the point the text names.
    const double c = TestPageCrossMm;
    line(c - 8, c, c + 8, c);
    line(c, c - 8, c, c + 8);
    const QPointF centre = TestPagePoint(l, {c, c});
    painter.drawEllipse(centre, pixels(l, 3), pixels(l, 3));

    // The measuring lines: across below the text, down near the right edge; each only where it fits
    // inside the printable area, so that both its ends are printed.
    const QString lineLabel = QStringLiteral("%1 mm").arg(mmNumber(TestLineMm));
    const double acrossY = c + 28;
    const double acrossX = c;
    const bool across = acrossX + TestLineMm <= w - m.right() && acrossY + 3 <= h - m.bottom();
    if (across) {
        line(acrossX, acrossY, acrossX + TestLineMm, acrossY);
        line(acrossX, acrossY - 3, acrossX, acrossY + 3);
        line(acrossX + TestLineMm, acrossY - 3, acrossX + TestLineMm, acrossY + 3);
        const QPointF at = TestPagePoint(l, {acrossX + TestLineMm / 2, acrossY - 3.5});
        painter.drawText(QRectF(at.x() - pixels(l, 15), at.y() - pixels(l, 2), pixels(l, 30), pixels(l, 4)),
                         Qt::AlignCenter,
                         lineLabel);
    }
    const double downX = w - m.right() - 15;
    const double downY = std::max(m.top() + 2, (h - TestLineMm) / 2);
    const bool down = downY + TestLineMm <= h - m.bottom() && (!across || downX - 6 > acrossX + TestLineMm);
    if (down) {
        line(downX, downY, downX, downY + TestLineMm);
        line(downX - 3, downY, downX + 3, downY);
        line(downX - 3, downY + TestLineMm, downX + 3, downY + TestLineMm);
        const QPointF at = TestPagePoint(l, {downX - 3.5, downY + TestLineMm / 2});
        painter.save();
        painter.translate(at);
        painter.rotate(-90);
        painter.drawText(QRectF(-pixels(l, 15), -pixels(l, 2), pixels(l, 30), pixels(l, 4)),
                         Qt::AlignCenter,
                         lineLabel);
        painter.restore();
    }

    font.setPointSizeF(8);
    painter.setFont(font);
    const QPointF textTop = TestPagePoint(l, {c + 12, c - 6});
    const double textRight = down ? downX - 6 : w - m.right();
    const double textWidth = pixels(l, std::max(20.0, textRight - 12 - (c + 12)));
    const QRectF textBox(textTop, QSizeF(textWidth, pixels(l, 40)));
    painter.drawText(textBox, Qt::TextWordWrap, l.crossLine + u'\n' + l.infoLine);
    painter.restore();
}

PrinterCalibration
CalibrationFromMeasurement(const PrinterCalibration &printed, double crossFromLeftMm, double crossFromTopMm)
{
    PrinterCalibration c = printed;
    c.shiftAcrossMm = ClampShiftMm(printed.shiftAcrossMm + TestPageCrossMm - crossFromLeftMm);
    c.shiftDownMm = ClampShiftMm(printed.shiftDownMm + TestPageCrossMm - crossFromTopMm);
    return c;
}

bool LineShowsScaling(double measuredMm)
{
    // A small margin on top of the tolerance: 100.5 read off a ruler is still a true 100 mm line.
    return std::abs(measuredMm - TestLineMm) > TestLineToleranceMm + 1e-9;
}

QString TestPageInfoLine(const QString &printerName,
                         const QString &paperName,
                         QSizeF paperMm,
                         const PrinterCalibration &calibration)
{
    const QString printer = printerName.isEmpty() ? TranslateText(QStringLiteral("PDF-Datei")) : printerName;
    const QString paper = QStringLiteral("%1 (%2 x %3 mm)")
                                  .arg(paperName, mmNumber(paperMm.width()), mmNumber(paperMm.height()));
    const QString mode = calibration.fromPaperEdge
                                 ? TranslateText(QStringLiteral("vom Papierrand gemessen"))
                                 : TranslateText(QStringLiteral("vom druckbaren Bereich gemessen"));
    return TranslateText(
                   QStringLiteral(
                           "Drucker: %1; Papier: %2; Verschiebung: %3 mm nach rechts, %4 mm nach unten; %5"))
            .arg(printer,
                 paper,
                 mmNumber(calibration.shiftAcrossMm),
                 mmNumber(calibration.shiftDownMm),
                 mode);
}

QString TestPageCrossLine()
{
    return TranslateText(QStringLiteral("Die Mitte des Kreuzes liegt %1 mm vom linken und %1 mm vom oberen "
                                        "Papierrand."))
            .arg(mmNumber(TestPageCrossMm));
}

void PrintTestPage(TPrinter &printer, const PrinterCalibration &calibration)
{
    const PrinterCalibration own = printer.calibration();
    printer.setCalibration(calibration);
    // The printer's own set-up comes back however the job ends.
    struct Restore
    {
        TPrinter &printer;
        PrinterCalibration calibration;
        ~Restore()
        {
            if (printer.printing())
                printer.abortDoc();
            printer.setCalibration(calibration);
        }
    } restore{printer, own};

    TestPageLayout layout;
    layout.dpi = printer.resolutionX();
    layout.paperMm = printer.paperSizeMM();
    layout.marginsMm = printer.unprintableMarginsMM();
    if (!calibration.fromPaperEdge && !printer.isBuiltInPdfPrinter())
        layout.pageOriginMm = QPointF(layout.marginsMm.left(), layout.marginsMm.top());
    const QPageLayout pageLayout = printer.qprinter().pageLayout();
    layout.infoLine = TestPageInfoLine(
            printer.printerName(), pageLayout.pageSize().name(), layout.paperMm, calibration);
    layout.crossLine = TestPageCrossLine();

    printer.setTitle(TranslateText(QStringLiteral("Testseite")));
    printer.beginDoc();
    DrawTestPage(printer.canvas(), layout);
    printer.endDoc();
}
