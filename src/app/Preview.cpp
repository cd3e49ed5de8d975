#include "app/Preview.h"

#include "app/PaintBox.h"
#include "core/PaperFormats.h"
#include "render/EnvelopeRenderer.h"

#include "app/Dialogs.h"
#include "app/MainUnit.h"
#include "app/RxSpinEdit.h"
#include "core/translateunit.h"
#include "print/Printer.h"

#include <QApplication>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>

namespace {

quint64 sheetDrawings = 0;
constexpr int Band = PreviewBand;
constexpr int WheelStep = 20;

} // namespace

QSize PreviewBoxSize(const QSize &sheet)
{
    return QSize(sheet.width() + 2 * PreviewBand, sheet.height() + 2 * PreviewBand);
}

QString PageSizeLabelText(int pageWidth,
                          int pageHeight,
                          int printerDpi,
                          bool inchMode,
                          const QString &mmText,
                          const QString &inchText,
                          const QLocale &locale)
{
    QLocale loc(locale);
    loc.setNumberOptions(loc.numberOptions() | QLocale::OmitGroupSeparator);
    if (inchMode) {
        const QString unit = u' ' + inchText;
        return loc.toString(PagePixelsToInches(pageWidth, printerDpi), 'f', 2) + unit + QStringLiteral(" x ")
               + loc.toString(PagePixelsToInches(pageHeight, printerDpi), 'f', 2) + unit;
    }
    return loc.toString(PagePixelsToMm(pageWidth, printerDpi), 'f', 2) + mmText + QStringLiteral(" x ")
           + loc.toString(PagePixelsToMm(pageHeight, printerDpi), 'f', 2) + mmText;
}

int WholeSheetZoom(int pageWidth,
                   int pageHeight,
                   int screenDpi,
                   int printerDpi,
                   const QSize &area,
                   int minZoom,
                   int maxZoom)
{
    // The same truncated extents the paint routine computes, so the answer is exact at the edge.
    for (int zoom = maxZoom; zoom > minZoom; --zoom) {
        const QSize box = PreviewBoxSize(SheetSize(pageWidth, pageHeight, screenDpi, printerDpi, zoom));
        if (box.width() <= area.width() && box.height() <= area.height())
            return zoom;
    }
    return minZoom;
}

QIcon WholeSheetIcon(const QPalette &palette)
{
    // Drawn in the palette's colours rather than taken from the icon theme: a theme's symbolic
    // "zoom-fit-best" is a grey blob on a dark window. Sizes up to 48 keep it sharp when scaled.
    QIcon icon;
    const QColor ink = palette.color(QPalette::WindowText);
    const QColor paper = palette.color(QPalette::Base);
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        const qreal u = size / 16.0;
        p.setPen(QPen(ink, u));
        p.setBrush(paper);
        p.drawRect(QRectF(4 * u, 5 * u, 8 * u, 6 * u));
        const qreal m = 1.5 * u, l = 3 * u, e = size - m;
        p.drawPolyline(QPolygonF{{m, m + l}, {m, m}, {m + l, m}});
        p.drawPolyline(QPolygonF{{e - l, m}, {e, m}, {e, m + l}});
        p.drawPolyline(QPolygonF{{m, e - l}, {m, e}, {m + l, e}});
        p.drawPolyline(QPolygonF{{e - l, e}, {e, e}, {e, e - l}});
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QImage PreviewImage(const QSize &exposed, qreal devicePixelRatio, int screenDpi)
{
    QImage image(QSize(int(std::ceil(exposed.width() * devicePixelRatio)),
                       int(std::ceil(exposed.height() * devicePixelRatio))),
                 QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(devicePixelRatio);
    // Fonts convert points to pixels at the image's resolution: the screen's logical one, also on a
    // scaled screen where the image itself has device pixels.
    const int dotsPerMeter = int(std::lround(screenDpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

quint64 PreviewSheetDrawings()
{
    return sheetDrawings;
}

void TMainForm::PaintBox1Paint(QPaintEvent *event)
{
    const int D = logicalDpiX();
    TPrinter &printer = Printer();
    const int R = printer.resolutionX();
    const int pageWidth = printer.pageWidth();
    const int pageHeight = printer.pageHeight();
    const double Z = ZoomEd->textValue();
    const QSize sheetSize = SheetSize(pageWidth, pageHeight, D, R, Z);
    const int bw = sheetSize.width();
    const int bh = sheetSize.height();

    Label5->setText(PageSizeLabelText(
            pageWidth, pageHeight, R, isInchMode(), MessageText(10), MessageText(13), QLocale()));

    const QSize boxSize = PreviewBoxSize(sheetSize);
    if (PaintBox1->size() != boxSize) {
        // The resize brings a paint event of its own, which then draws at the new size.
        PaintBox1->resize(boxSize);
        return;
    }
    if (!event) {
        // A widget can only be drawn on inside its paint event: paint it now, synchronously.
        PaintBox1->repaint();
        return;
    }

    // Only the exposed part of the sheet is rendered, so memory stays bounded by the viewport even
    // for a large sheet at high zoom; the layout still sees the whole sheet.
    const QRect sheet(Band, Band, bw, bh);
    const QRect exposed = event->rect() & sheet;
    if (exposed.isEmpty())
        return;
    QImage image = PreviewImage(exposed.size(), PaintBox1->devicePixelRatioF(), D);
    if (image.isNull())
        return; // not even the exposed part fits into memory: the background stays
    {
        QPainter p(&image);
        p.setViewport(0, 0, exposed.width(), exposed.height());
        p.setWindow(exposed.x() - Band, exposed.y() - Band, exposed.width(), exposed.height());
        if (UsePortraitRenderer(bw, bh))
            PaintToCanvasHochformat(p, D, bw, bh, Z, false);
        else
            PaintToCanvas(p, D, bw, bh, Z, false);
        // Measured from the paper's edge, the sheet is the whole paper: show where the printer stops.
        if (printer.calibration().fromPaperEdge)
            DrawPrintableBorder(p,
                                PrintableRectInSheet(QSize(bw, bh),
                                                     printer.paperSizeMM(),
                                                     printer.unprintableMarginsMM()));
    }
    ++sheetDrawings;
    QPainter out(PaintBox1);
    out.drawImage(exposed.topLeft(), image);
}

void TMainForm::PaintBox1MouseDown()
{
    // Takes the focus from the paper-format list, so the wheel scrolls the preview again.
    Edit1->setFocus(Qt::MouseFocusReason);
}

void TMainForm::ZoomEdChange()
{
    PaintBox1Paint(nullptr);
}

void TMainForm::GanzesBlatt1Click()
{
    TPrinter &printer = Printer();
    const int zoom = WholeSheetZoom(printer.pageWidth(),
                                    printer.pageHeight(),
                                    logicalDpiX(),
                                    printer.resolutionX(),
                                    ScrollBox1->maximumViewportSize(),
                                    int(ZoomEd->minimum()),
                                    int(ZoomEd->maximum()));
    // Through the field, so everything follows as for a typed zoom.
    ZoomEd->setValue(zoom);
}

void TMainForm::InfoEdChange()
{
    PaintBox1Paint(nullptr);
}

void TMainForm::RandEdChange()
{
    PaintBox1Paint(nullptr);
}

void TMainForm::Schrift1BtnClick()
{
    Dialogs().chooseFont(this, FontDialog1->Font);
    PaintBox1Paint(nullptr);
}

void TMainForm::Schrift2BtnClick()
{
    Dialogs().chooseFont(this, FontDialog2->Font);
    PaintBox1Paint(nullptr);
}

void TMainForm::Memo1Change()
{
    Timer1->stop();
    Timer1->start();
}

void TMainForm::Memo2Change()
{
    Timer1->stop();
    Timer1->start();
}

void TMainForm::FilenameEdit1Change()
{
    Timer1->stop();
    Timer1->start();
}

void TMainForm::Timer1Timer()
{
    PaintBox1Paint(nullptr);
}

void TMainForm::FormMouseWheelDown()
{
    if (focusWidget() == ComboBox1)
        return;
    QScrollBar *bar = ScrollBox1->verticalScrollBar();
    bar->setValue(bar->value() + WheelStep);
}

void TMainForm::FormMouseWheelUp()
{
    if (focusWidget() == ComboBox1)
        return;
    QScrollBar *bar = ScrollBox1->verticalScrollBar();
    bar->setValue(bar->value() - WheelStep);
}

PreviewWheelFilter::PreviewWheelFilter(QWidget *window, QWidget *preview)
    : QObject(window)
    , m_window(window)
    , m_preview(preview)
{
    qApp->installEventFilter(this);
}

PreviewWheelFilter::~PreviewWheelFilter()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool PreviewWheelFilter::handedToBar(const QWidget *widget) const
{
    // A scrolling control hands the event from its viewport on to its own scroll bar.
    if (!qobject_cast<const QScrollBar *>(widget))
        return false;
    for (QWidget *p = widget->parentWidget(); p; p = p->parentWidget())
        if (auto *area = qobject_cast<QAbstractScrollArea *>(p))
            return m_lastWidget == area || m_lastWidget == area->viewport();
    return false;
}

bool PreviewWheelFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    // One wheel event: the window's event first, then one widget event that travels up the parents
    // and may be passed on to a scroll bar. Successive events may reuse one address, so an address
    // seen before is the same event only while it is still on that way.
    if (watched->isWindowType()) {
        m_lastEvent = nullptr;
        return false;
    }
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !m_window || widget->window() != m_window)
        return false;
    const bool onItsWay = event == m_lastEvent && m_lastWidget && widget != m_lastWidget
                          && (widget->isAncestorOf(m_lastWidget) || handedToBar(widget));
    m_lastEvent = event;
    m_lastWidget = widget;
    if (!onItsWay) {
        m_accumulated += static_cast<QWheelEvent *>(event)->angleDelta().y();
        while (m_accumulated <= -120) {
            m_accumulated += 120;
            emit stepDown();
        }
        while (m_accumulated >= 120) {
            m_accumulated -= 120;
            emit stepUp();
        }
    }
    return m_preview && m_preview->isAncestorOf(widget);
}
