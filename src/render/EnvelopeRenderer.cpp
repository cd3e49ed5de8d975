#include "render/EnvelopeRenderer.h"

#include "core/PaperFormats.h"
#include "render/EnvelopePicture.h"
#include "render/TextBlock.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

void drawBackground(QPainter &painter, const RenderTarget &target)
{
    if (target.printit)
        return;
    const int w = target.width, h = target.height;
    painter.fillRect(QRect(0, 0, w, h), Qt::white);
    // The outline as four one-pixel strips rather than a stroked rectangle: a pen's right and bottom
    // edges move inwards on a scaled image, strips cover the outermost pixels at any scale.
    painter.fillRect(QRect(0, 0, w, 1), Qt::black);
    painter.fillRect(QRect(0, h - 1, w, 1), Qt::black);
    painter.fillRect(QRect(0, 0, 1, h), Qt::black);
    painter.fillRect(QRect(w - 1, 0, 1, h), Qt::black);
}

// Canvas coordinates are ints; lengths of up to 1000 mm at zoom 1000, or a tall thin picture, can
// give values far outside them, and converting such a double to int is undefined.
int toCoordinate(double v)
{
    constexpr double limit = 1e9;
    return int(std::clamp(v, -limit, limit));
}

void useFont(QPainter &painter, const TFontRec &rec, double zoom)
{
    QFont font = rec.toQFont();
    font.setPointSize(ZoomedPointSize(rec.size, zoom));
    painter.setFont(font);
    painter.setPen(rec.toQColor());
    painter.setBackgroundMode(Qt::TransparentMode);
}

int recipientLeft(const EnvelopeValue &e, int W)
{
    // nearbyint under the default rounding mode sends halves to the even neighbour.
    return toCoordinate(std::nearbyint(e.recipientAcross * W / 100.0));
}

class Layouter
{
public:
    Layouter(QPainter &painter, const EnvelopeValue &envelope, double zoom, PictureCache *cache)
        : m_painter(painter)
        , m_e(envelope)
        , m_zoom(zoom)
        , m_cache(cache)
        , m_path(PictureFilePath(envelope.pictureFile))
    {}

    void run(EnvelopeLayout &l)
    {
        const int W = l.W, H = l.H, m = l.m, pw = l.pw, pg = l.pg;

        if (m_e.picturePosition == 0 && !m_path.isEmpty())
            l.pictureLeftDrawn = drawPicture(m, m, pw, l.pictureRect);

        useFont(m_painter, m_e.recipientFont, m_zoom);
        QRect rect(QPoint(recipientLeft(m_e, W), toCoordinate(std::nearbyint(m_e.recipientDown * H / 100.0))),
                   QPoint(W - m - 1, H - m - 1));
        if (!m_e.infoLine.isEmpty()) {
            const QString info = m_e.infoLine + u'\r';
            l.infoRect = MeasureTextBlock(info, m_painter.fontMetrics(), rect);
            DrawTextBlock(m_painter, info, l.infoRect, TextClip::None);
            rect = QRect(QPoint(recipientLeft(m_e, W), l.infoRect.top() + l.infoRect.height()),
                         QPoint(W - m - 1, H - m - 1));
        }
        l.recipientRect = rect;
        DrawTextBlock(m_painter, m_e.recipient, rect);

        useFont(m_painter, m_e.senderFont, m_zoom);
        const int senderLeft = l.pictureLeftDrawn ? m + pw + pg : m;
        const QRect senderBounds(QPoint(senderLeft, m), QPoint(W / 2 - 1, H - m - 1));
        l.senderRect = MeasureTextBlock(m_e.sender, m_painter.fontMetrics(), senderBounds);
        DrawTextBlock(m_painter, m_e.sender, l.senderRect, TextClip::None);

        if (m_e.picturePosition == 1 && !m_path.isEmpty())
            drawPicture(m, l.senderRect.top() + l.senderRect.height() + pg, pw, l.pictureRect);
        if (m_e.picturePosition == 2 && !m_path.isEmpty())
            drawPicture(W - m - pw, m, pw, l.pictureRect);
    }

private:
    // Draws the picture with its left top corner at (left, top), pw wide and as high as its
    // proportions give. False when the file gives no picture.
    bool drawPicture(int left, int top, int pw, QRect &placed)
    {
        const std::shared_ptr<const EnvelopePicture> picture
                = m_cache ? m_cache->load(m_path) : LoadEnvelopePicture(m_path);
        if (!picture)
            return false;
        const QSize size = picture->pixelSize();
        if (size.width() <= 0)
            return false;
        const int bottom = toCoordinate(std::trunc(double(size.height()) * pw / size.width() + top));
        placed = QRect(left, top, pw, bottom - top);
        picture->draw(m_painter, placed);
        return true;
    }

    QPainter &m_painter;
    const EnvelopeValue &m_e;
    double m_zoom;
    PictureCache *m_cache;
    QString m_path;
};

EnvelopeLayout sheetLayout(const EnvelopeValue &e, const RenderTarget &t, bool exchanged)
{
    EnvelopeLayout l;
    const QSize sheet = SheetSize(t.pageWidth, t.pageHeight, t.dpi, t.printerDpi, t.zoom);
    const int pageW = sheet.width();
    const int pageH = sheet.height();
    l.W = exchanged ? pageH : pageW;
    l.H = exchanged ? pageW : pageH;
    l.m = LengthToPixels(e.margin, false, t.dpi, t.zoom);
    l.pw = LengthToPixels(e.pictureWidth, false, t.dpi, t.zoom);
    l.pg = LengthToPixels(e.pictureMargin, false, t.dpi, t.zoom);
    return l;
}

} // namespace

int ZoomedPointSize(int pointSize, double zoom)
{
    const int size = toCoordinate(std::trunc(pointSize * zoom / 100.0));
    return size < 1 ? 1 : size;
}

EnvelopeLayout DrawEnvelope(QPainter &painter,
                            const EnvelopeValue &envelope,
                            const RenderTarget &target,
                            PictureCache *cache)
{
    EnvelopeLayout l = sheetLayout(envelope, target, false);
    painter.save();
    drawBackground(painter, target);
    Layouter(painter, envelope, target.zoom, cache).run(l);
    painter.restore();
    return l;
}

EnvelopeLayout DrawEnvelopeHochformat(QPainter &painter,
                                      const EnvelopeValue &envelope,
                                      const RenderTarget &target,
                                      PictureCache *cache)
{
    EnvelopeLayout l = sheetLayout(envelope, target, true);
    painter.save();
    drawBackground(painter, target);

    const bool previousEnabled = painter.worldMatrixEnabled();
    const QTransform previous = painter.worldTransform();
    painter.setWorldMatrixEnabled(true);
    const double angle = std::numbers::pi / 2;
    const double c = std::cos(angle), s = std::sin(angle);
    // Row-vector convention as in QTransform: rotation first, then the shift, so that
    // (x, y) -> (-y, x) -> (width - y, x).
    QTransform world;
    world = world * QTransform(c, s, -s, c, 0, 0);
    world = world * QTransform::fromTranslate(target.width, 0);
    // On top of the painter's own transform: a printer fed short edge first turns the page beneath.
    painter.setWorldTransform(previousEnabled ? world * previous : world);

    Layouter(painter, envelope, target.zoom, cache).run(l);

    painter.setWorldTransform(previous);
    painter.setWorldMatrixEnabled(previousEnabled);
    painter.restore();
    return l;
}

bool UsePortraitRenderer(int width, int height)
{
    return width < height;
}
