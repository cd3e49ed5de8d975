#pragma once

#include <QDateTime>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

class QPainter;
class QSvgRenderer;

// The picture file named by the picture field: the text itself when a file of that name exists,
// otherwise the first token of the text read like a command line (double quotes removed). Empty when
// there is none.
QString PictureFilePath(const QString &fieldText);

// A picture file decoded for the envelope: a raster image made opaque (transparent parts become
// white paper), or a vector drawing (SVG) drawn over white.
class EnvelopePicture
{
public:
    EnvelopePicture(QImage image);
    EnvelopePicture(std::unique_ptr<QSvgRenderer> svg);
    ~EnvelopePicture();
    EnvelopePicture(const EnvelopePicture &) = delete;
    EnvelopePicture &operator=(const EnvelopePicture &) = delete;

    // Width and height in pixels (an SVG's default size).
    QSize pixelSize() const;
    // Stretches the whole picture into dest with averaging resampling, covering dest completely.
    void draw(QPainter &painter, const QRect &dest) const;

private:
    QImage m_image;
    std::unique_ptr<QSvgRenderer> m_svg;
    // The last downscaled copy: the preview redraws the same size once a second.
    mutable QImage m_scaled;
};

// Reads a picture file: PNG, JPEG, BMP, GIF, SVG and every kind the image plugins read. Returns null
// for a missing, unreadable or unknown file and for one without width.
std::shared_ptr<const EnvelopePicture> LoadEnvelopePicture(const QString &path);

// Keeps the last decoded picture while the file's path, size and modification time stay the same, so
// a changed file is read again at the next drawing.
class PictureCache
{
public:
    std::shared_ptr<const EnvelopePicture> load(const QString &path);
    void clear();
    int loads() const { return m_loads; } // how often a file was actually decoded

private:
    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    std::shared_ptr<const EnvelopePicture> m_picture;
    int m_loads = 0;
};

// The decoded-picture memory shared by the preview and printing.
PictureCache &SharedPictureCache();
