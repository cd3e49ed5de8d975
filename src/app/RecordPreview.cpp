#include "app/RecordPreview.h"

#include "app/Preview.h"
#include "core/PaperFormats.h"
#include "print/Printer.h"
#include "print/PrinterCalibration.h"
#include "render/EnvelopePicture.h"
#include "render/RecordEnvelope.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr int MinZoom = 5;
constexpr int MaxZoom = 100;

// The zoom at which the sheet is about width pixels wide. Callers give widths in average characters,
// so the preview grows with the interface's font rather than with a fixed pixel size.
int zoomForWidth(const TPreviewPage &page, int dpi, int width)
{
    if (page.pageWidth <= 0 || page.printerDpi <= 0)
        return MaxZoom;
    const double full = double(page.pageWidth) * dpi / page.printerDpi;
    return qBound(MinZoom, int(100.0 * width / full), MaxZoom);
}

} // namespace

TPreviewPage PreviewPageOf(const TPrinter &printer)
{
    TPreviewPage page;
    page.pageWidth = printer.pageWidth();
    page.pageHeight = printer.pageHeight();
    page.printerDpi = printer.resolutionX();
    page.fromPaperEdge = printer.calibration().fromPaperEdge;
    page.paperMm = printer.paperSizeMM();
    page.marginsMm = printer.unprintableMarginsMM();
    return page;
}

TRecordPreview::TRecordPreview(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::NoFocus);
}

void TRecordPreview::setPage(const TPreviewPage &page)
{
    m_page = page;
    updateGeometry();
    update();
}

void TRecordPreview::setRecord(const EnvelopeValue &design, const QStringList &fields, bool skipEmptyLines)
{
    m_design = design;
    m_fields = fields;
    m_skipEmptyLines = skipEmptyLines;
    update();
}

EnvelopeValue TRecordPreview::envelope() const
{
    return RecordEnvelope(m_design, m_fields, m_skipEmptyLines);
}

int TRecordPreview::zoom() const
{
    if (m_page.pageWidth <= 0 || m_page.pageHeight <= 0 || m_page.printerDpi <= 0)
        return MinZoom;
    return WholeSheetZoom(
            m_page.pageWidth, m_page.pageHeight, logicalDpiX(), m_page.printerDpi, size(), MinZoom, MaxZoom);
}

QRect TRecordPreview::sheetRect() const
{
    if (m_page.pageWidth <= 0 || m_page.pageHeight <= 0 || m_page.printerDpi <= 0)
        return {};
    const QSize sheet
            = SheetSize(m_page.pageWidth, m_page.pageHeight, logicalDpiX(), m_page.printerDpi, zoom());
    const QSize box = PreviewBoxSize(sheet);
    // Centred; a sheet larger than the widget (at the least zoom) starts at the band.
    const int x = qMax(0, (width() - box.width()) / 2) + PreviewBand;
    const int y = qMax(0, (height() - box.height()) / 2) + PreviewBand;
    return QRect(QPoint(x, y), sheet);
}

QSize TRecordPreview::sizeHint() const
{
    const int z = zoomForWidth(m_page, logicalDpiX(), fontMetrics().averageCharWidth() * 48);
    return PreviewBoxSize(
            SheetSize(m_page.pageWidth, m_page.pageHeight, logicalDpiX(), m_page.printerDpi, z));
}

QSize TRecordPreview::minimumSizeHint() const
{
    const int z = zoomForWidth(m_page, logicalDpiX(), fontMetrics().averageCharWidth() * 24);
    return PreviewBoxSize(
            SheetSize(m_page.pageWidth, m_page.pageHeight, logicalDpiX(), m_page.printerDpi, z));
}

void TRecordPreview::paintEvent(QPaintEvent *event)
{
    const QRect sheet = sheetRect();
    const QRect exposed = event->rect() & sheet;
    if (exposed.isEmpty())
        return;
    const int D = logicalDpiX();
    const int Z = zoom();
    // As the main preview draws: rendered at device pixels, fonts at the screen's logical resolution.
    QImage image = PreviewImage(exposed.size(), devicePixelRatioF(), D);
    if (image.isNull())
        return;
    {
        QPainter p(&image);
        p.setViewport(0, 0, exposed.width(), exposed.height());
        p.setWindow(exposed.x() - sheet.x(), exposed.y() - sheet.y(), exposed.width(), exposed.height());
        RenderTarget t;
        t.dpi = D;
        t.width = sheet.width();
        t.height = sheet.height();
        t.zoom = Z;
        t.printit = false;
        t.pageWidth = m_page.pageWidth;
        t.pageHeight = m_page.pageHeight;
        t.printerDpi = m_page.printerDpi;
        DrawRecordEnvelope(p, t, m_design, m_fields, m_skipEmptyLines, &SharedPictureCache());
        if (m_page.fromPaperEdge)
            DrawPrintableBorder(p, PrintableRectInSheet(sheet.size(), m_page.paperMm, m_page.marginsMm));
    }
    ++m_drawings;
    QPainter out(this);
    out.drawImage(exposed.topLeft(), image);
}
