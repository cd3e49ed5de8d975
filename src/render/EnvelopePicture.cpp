#include "render/EnvelopePicture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

QString PictureFilePath(const QString &fieldText)
{
    if (fieldText.isEmpty())
        return QString();
    const QFileInfo info(fieldText);
    if (info.exists() && !info.isDir())
        return fieldText;
    QString token;
    bool quoted = false;
    qsizetype i = 0;
    const qsizetype n = fieldText.size();
    while (i < n && (fieldText.at(i) == u' ' || fieldText.at(i) == u'\t'))
        ++i;
    for (; i < n; ++i) {
        const QChar c = fieldText.at(i);
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u' ' || c == u'\t'))
            break;
        else
            token.append(c);
    }
    return token;
}

EnvelopePicture::EnvelopePicture(QImage image)
{
    if (image.hasAlphaChannel()) {
        // No transparency on the envelope: transparent parts show white paper, not what lies below.
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter p(&opaque);
        p.drawImage(0, 0, image);
        p.end();
        m_image = std::move(opaque);
    } else {
        m_image = image.convertToFormat(QImage::Format_RGB32);
    }
}

EnvelopePicture::EnvelopePicture(std::unique_ptr<QSvgRenderer> svg)
    : m_svg(std::move(svg))
{}

EnvelopePicture::~EnvelopePicture() = default;

QSize EnvelopePicture::pixelSize() const
{
    return m_svg ? m_svg->defaultSize() : m_image.size();
}

void EnvelopePicture::draw(QPainter &painter, const QRect &dest) const
{
    if (dest.isEmpty())
        return;
    painter.save();
    painter.setClipRect(dest, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (m_svg) {
        painter.fillRect(dest, Qt::white);
        m_svg->render(&painter, QRectF(dest));
        painter.restore();
        return;
    }
    // The destination's size in device pixels along the picture's own axes (the portrait
    // renderer turns it a quarter turn).
    const QTransform t = painter.deviceTransform();
    const QSize device(int(std::lround(dest.width() * std::hypot(t.m11(), t.m12()))),
                       int(std::lround(dest.height() * std::hypot(t.m21(), t.m22()))));
    if (!device.isEmpty() && device.width() <= m_image.width() && device.height() <= m_image.height()) {
        // Shrinking: average the source pixels (bilinear filtering alone would skip most of them).
        // The copy is never larger than the picture itself.
        if (m_scaled.size() != device)
            m_scaled = m_image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(QRectF(dest), m_scaled);
    } else {
        // Enlarging: interpolate while drawing, so no enlarged copy has to fit into memory.
        painter.drawImage(QRectF(dest), m_image);
    }
    painter.restore();
}

std::shared_ptr<const EnvelopePicture> LoadEnvelopePicture(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return nullptr;
    const QString suffix = info.suffix().toLower();
    if (suffix == u"svg" || suffix == u"svgz") {
        auto svg = std::make_unique<QSvgRenderer>(path);
        if (!svg->isValid() || svg->defaultSize().width() <= 0 || svg->defaultSize().height() < 0)
            return nullptr;
        return std::make_shared<const EnvelopePicture>(std::move(svg));
    }
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0)
        return nullptr;
    return std::make_shared<const EnvelopePicture>(std::move(image));
}

std::shared_ptr<const EnvelopePicture> PictureCache::load(const QString &path)
{
    const QFileInfo info(path);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (m_picture && path == m_path && size == m_size && modified == m_modified)
        return m_picture;
    m_picture = LoadEnvelopePicture(path);
    ++m_loads;
    m_path = path;
    m_size = size;
    m_modified = modified;
    if (!m_picture)
        m_path.clear();
    return m_picture;
}

void PictureCache::clear()
{
    m_picture.reset();
    m_path.clear();
    m_size = -1;
    m_modified = QDateTime();
}

PictureCache &SharedPictureCache()
{
    static PictureCache cache;
    return cache;
}
