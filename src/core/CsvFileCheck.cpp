#include "core/CsvFileCheck.h"

#include "core/translateunit.h"

#include <QIODevice>

namespace {

bool startsWith(const QByteArray &head, const char *signature, qsizetype size)
{
    return head.size() >= size && std::equal(signature, signature + size, head.constData());
}

quint32 le32(const QByteArray &b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
           | quint32(quint8(b[at + 3])) << 24;
}

// "BM" alone is how many plain lines begin ("BMW AG;..."): a bitmap also needs its zero reserved
// field and one of the known header sizes.
bool isBitmap(const QByteArray &head)
{
    if (head.size() < 18 || !head.startsWith("BM") || le32(head, 6) != 0)
        return false;
    const quint32 infoSize = le32(head, 14);
    return infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64
           || infoSize == 108 || infoSize == 124;
}

} // namespace

NonTextKind DetectNonText(const QByteArray &whole)
{
    const QByteArray head = whole.left(NonTextProbeSize);
    if (startsWith(head, "PK\x03\x04", 4) || startsWith(head, "PK\x05\x06", 4)
        || startsWith(head, "PK\x07\x08", 4))
        return NonTextKind::ZipContainer;
    if (startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return NonTextKind::OfficeLegacy;
    if (startsWith(head, "%PDF-", 5))
        return NonTextKind::Pdf;
    if (startsWith(head, "\x89PNG\r\n\x1A\n", 8))
        return NonTextKind::Png;
    if (startsWith(head, "\xFF\xD8\xFF", 3))
        return NonTextKind::Jpeg;
    if (startsWith(head, "GIF87a", 6) || startsWith(head, "GIF89a", 6))
        return NonTextKind::Gif;
    if (isBitmap(head))
        return NonTextKind::Bmp;
    if (startsWith(head, "II*\0", 4) || startsWith(head, "MM\0*", 4))
        return NonTextKind::Tiff;
    if (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return NonTextKind::WebP;
    if (startsWith(head, "\xFF\xFE", 2) || startsWith(head, "\xFE\xFF", 2))
        return NonTextKind::Utf16Text;
    if (head.contains('\0'))
        return NonTextKind::NulBytes;
    return NonTextKind::None;
}

NonTextKind DetectNonText(QIODevice &device)
{
    // peek() leaves the position alone, on sequential devices too.
    return DetectNonText(device.peek(NonTextProbeSize));
}

QString NonTextMessage(NonTextKind kind, const QString &fileName)
{
    const QString spreadsheetAdvice = TranslateText(QStringLiteral(
            "Speichern Sie die Tabelle im Tabellenprogramm als CSV-Datei mit Semikolon als Trennzeichen und "
            "wählen Sie dann diese Datei."));
    const QString csvAdvice = TranslateText(QStringLiteral(
            "Wählen Sie eine CSV-Datei mit einer Adresse pro Zeile, die Felder durch Semikolon "
            "getrennt."));
    const auto image = [](const char *format) {
        return TranslateText(QStringLiteral("ein Bild (%1)")).arg(QLatin1String(format));
    };
    QString what;
    QString advice = csvAdvice;
    switch (kind) {
    case NonTextKind::None:
        return QString();
    case NonTextKind::ZipContainer:
        what = TranslateText(
                QStringLiteral("eine Tabelle oder ein Dokument im ZIP-Format (etwa .xlsx, .ods oder .docx)"));
        advice = spreadsheetAdvice;
        break;
    case NonTextKind::OfficeLegacy:
        what = TranslateText(QStringLiteral(
                "eine Tabelle oder ein Dokument im alten Office-Format (etwa .xls oder .doc)"));
        advice = spreadsheetAdvice;
        break;
    case NonTextKind::Pdf:
        what = TranslateText(QStringLiteral("ein PDF-Dokument"));
        break;
    case NonTextKind::Png:
        what = image("PNG");
        break;
    case NonTextKind::Jpeg:
        what = image("JPEG");
        break;
    case NonTextKind::Gif:
        what = image("GIF");
        break;
    case NonTextKind::Bmp:
        what = image("BMP");
        break;
    case NonTextKind::Tiff:
        what = image("TIFF");
        break;
    case NonTextKind::WebP:
        what = image("WebP");
        break;
    case NonTextKind::Utf16Text:
        what = TranslateText(QStringLiteral("eine Textdatei in UTF-16"));
        advice = TranslateText(QStringLiteral(
                "Speichern Sie sie als CSV-Datei mit Semikolon als Trennzeichen in der Kodierung UTF-8."));
        break;
    case NonTextKind::NulBytes:
        what = TranslateText(QStringLiteral("eine Binärdatei (sie enthält Nullbytes)"));
        break;
    }
    return TranslateText(QStringLiteral("„%1“ ist keine CSV-Datei, sondern %2.")).arg(fileName, what)
           + QLatin1Char('\n') + advice;
}
