// Lays out and draws arbitrary text with the envelope's text rule and checks that wrapping loses,
// adds or reorders no character, that no line holds a line break, and that the measured block is
// as high as its lines and as wide as its widest line.

#include "render/TextBlock.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <cstring>

namespace {

QGuiApplication *app()
{
    static int argc = 1;
    static char name[] = "fuzz_textblock";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return instance;
}

QString printable(QString s)
{
    s.remove(u' ');
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    app();
    if (size < 3)
        return 0;
    const int wrapWidth = int(qint16(data[0] | (data[1] << 8)));
    const int pixelSize = 1 + data[2] % 48;
    const QString text
            = QString::fromUtf16(reinterpret_cast<const char16_t *>(data + 3), qsizetype((size - 3) / 2));

    static QImage image = [] {
        QImage i(64, 64, QImage::Format_RGB32);
        i.setDotsPerMeterX(3780);
        i.setDotsPerMeterY(3780);
        return i;
    }();
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font, &image);
    // Qt's first measurement of characters that need a fallback font can differ from every later one
    // (the fallback is loaded during it); lay out once so the checks below compare settled widths.
    LayoutTextBlock(text, metrics, wrapWidth);
    const TextBlockLayout layout = LayoutTextBlock(text, metrics, wrapWidth);

    QString expected = text;
    expected.remove(u'\r').remove(u'\n').replace(u'\t', QChar(0xA0));
    QString joined;
    for (const QString &line : layout.lines) {
        if (line.contains(u'\r') || line.contains(u'\n') || line.contains(u'\t'))
            std::abort();
        QString visible = line;
        while (visible.endsWith(u' '))
            visible.chop(1);
        if (!visible.isEmpty() && metrics.horizontalAdvance(visible) > layout.width)
            std::abort();
        joined += line;
    }
    if (printable(joined) != printable(expected))
        std::abort();
    if (layout.lines.size() < SplitTextLines(text).size())
        std::abort();

    const QRect measured = MeasureTextBlock(text, metrics, QRect(3, 5, wrapWidth, 40));
    if (measured.height() != int(layout.lines.size()) * TextLineAdvance(metrics)
        || measured.width() != layout.width)
        std::abort();

    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    DrawTextBlock(p, text, QRect(-2, 1, qBound(-10, wrapWidth, 100), 50));
    return 0;
}
