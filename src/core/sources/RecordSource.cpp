#include "RecordSource.h"

#include "CsvSource.h"
#include "SpreadsheetSource.h"
#include "VCardSource.h"
#include "ZipArchive.h"

#include <QFile>

namespace sources {

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

bool isBitmap(const QByteArray &head)
{
    if (head.size() < 18 || !head.startsWith("BM") || le32(head, 6) != 0)
        return false;
    const quint32 infoSize = le32(head, 14);
    return infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64
           || infoSize == 108 || infoSize == 124;
}

SourceError picture(const char *format)
{
    return {SourceErrorKind::Picture, QString::fromLatin1(format)};
}

// What kind of zip: by the OpenDocument mimetype entry, else by the Office Open XML parts.
DetectedContent detectZip(const QByteArray &content)
{
    SourceLimits limits;
    ZipArchive zip(content, limits);
    if (SourceError e = zip.open())
        return {SourceFormat::Csv, e};
    if (zip.contains(QStringLiteral("mimetype"))) {
        QByteArray mime;
        if (SourceError e = zip.readEntry(QStringLiteral("mimetype"), mime, 1024))
            return {SourceFormat::Csv, e};
        mime = mime.trimmed();
        if (mime == "application/vnd.oasis.opendocument.spreadsheet"
            || mime == "application/vnd.oasis.opendocument.spreadsheet-template")
            return {SourceFormat::Ods, {}};
        if (mime.startsWith("application/vnd.oasis.opendocument.text"))
            return {SourceFormat::Csv, {SourceErrorKind::WordProcessor, QString()}};
        if (mime.startsWith("application/vnd.oasis.opendocument."))
            return {SourceFormat::Csv, {SourceErrorKind::Presentation, QString()}};
    }
    const QStringList names = zip.entryNames();
    const auto any = [&names](const char *prefix) {
        for (const QString &n : names)
            if (n.startsWith(QLatin1String(prefix)))
                return true;
        return false;
    };
    if (any("xl/") || zip.contains(QStringLiteral("xl/workbook.xml")))
        return {SourceFormat::Xlsx, {}};
    if (any("word/"))
        return {SourceFormat::Csv, {SourceErrorKind::WordProcessor, QString()}};
    if (any("ppt/"))
        return {SourceFormat::Csv, {SourceErrorKind::Presentation, QString()}};
    if (zip.contains(QStringLiteral("content.xml")))
        return {SourceFormat::Csv, {SourceErrorKind::Presentation, QString()}};
    return {SourceFormat::Csv, {SourceErrorKind::OtherZip, QString()}};
}

// Whether the first non-blank line of a text begins a vCard.
bool looksLikeVCard(const QByteArray &content)
{
    qsizetype i = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < content.size()
           && (content.at(i) == ' ' || content.at(i) == '\t' || content.at(i) == '\r'
               || content.at(i) == '\n'))
        ++i;
    return content.mid(i, 11).toUpper() == "BEGIN:VCARD";
}

} // namespace

RecordSource::~RecordSource() = default;

SourceError RecordSource::selectSheet(int index)
{
    if (index == 0)
        return {};
    return {SourceErrorKind::MissingPart, QString::number(index)};
}

DetectedContent DetectContent(const QByteArray &content)
{
    const QByteArray head = content.left(64 * 1024);
    if (startsWith(head, "PK\x03\x04", 4) || startsWith(head, "PK\x05\x06", 4)
        || startsWith(head, "PK\x07\x08", 4))
        return detectZip(content);
    if (startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return {SourceFormat::Csv, {SourceErrorKind::LegacyOffice, QString()}};
    if (startsWith(head, "%PDF-", 5))
        return {SourceFormat::Csv, {SourceErrorKind::Pdf, QString()}};
    if (startsWith(head, "\x89PNG\r\n\x1A\n", 8))
        return {SourceFormat::Csv, picture("PNG")};
    if (startsWith(head, "\xFF\xD8\xFF", 3))
        return {SourceFormat::Csv, picture("JPEG")};
    if (startsWith(head, "GIF87a", 6) || startsWith(head, "GIF89a", 6))
        return {SourceFormat::Csv, picture("GIF")};
    if (isBitmap(head))
        return {SourceFormat::Csv, picture("BMP")};
    if (startsWith(head, "II*\0", 4) || startsWith(head, "MM\0*", 4))
        return {SourceFormat::Csv, picture("TIFF")};
    if (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return {SourceFormat::Csv, picture("WebP")};
    if (startsWith(head, "\xFF\xFE", 2) || startsWith(head, "\xFE\xFF", 2))
        return {SourceFormat::Csv, {SourceErrorKind::Utf16Text, QString()}};
    if (head.contains('\0'))
        return {SourceFormat::Csv, {SourceErrorKind::Binary, QString()}};
    if (looksLikeVCard(head))
        return {SourceFormat::VCard, {}};
    return {SourceFormat::Csv, {}};
}

SourceOpenResult OpenRecordSource(QByteArray content, const SourceOptions &options)
{
    SourceOpenResult result;
    if (content.size() > options.limits.maxFileBytes) {
        result.error = {SourceErrorKind::TooLarge, QString()};
        return result;
    }
    const DetectedContent detected = DetectContent(content);
    if (detected.error) {
        result.error = detected.error;
        return result;
    }
    switch (detected.format) {
    case SourceFormat::Csv:
        result.source = std::make_unique<CsvSource>(content, options.limits);
        break;
    case SourceFormat::VCard: {
        auto v = std::make_unique<VCardSource>(content, options);
        if (v->error())
            result.error = v->error();
        else
            result.source = std::move(v);
        break;
    }
    case SourceFormat::Ods:
    case SourceFormat::Xlsx: {
        auto s = std::make_unique<SpreadsheetSource>(detected.format, content, options);
        if (s->error())
            result.error = s->error();
        else
            result.source = std::move(s);
        break;
    }
    }
    return result;
}

SourceOpenResult OpenRecordSourceFile(const QString &path, const SourceOptions &options)
{
    SourceOpenResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = {SourceErrorKind::CannotRead, file.errorString()};
        return result;
    }
    if (file.size() > options.limits.maxFileBytes) {
        result.error = {SourceErrorKind::TooLarge, QString()};
        return result;
    }
    QByteArray content = file.read(options.limits.maxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error = {SourceErrorKind::CannotRead, file.errorString()};
        return result;
    }
    return OpenRecordSource(std::move(content), options);
}

QString SourceErrorText(SourceErrorKind kind)
{
    switch (kind) {
    case SourceErrorKind::None:
        return QString();
    case SourceErrorKind::CannotRead:
        return QStringLiteral("„%1“ kann nicht gelesen werden: %2");
    case SourceErrorKind::WordProcessor:
        return QStringLiteral("„%1“ ist ein Textdokument (etwa .odt oder .docx), keine Adressdatei.");
    case SourceErrorKind::Presentation:
        return QStringLiteral(
                "„%1“ ist eine Präsentation oder ein anderes Office-Dokument, keine Adressdatei.");
    case SourceErrorKind::OtherZip:
        return QStringLiteral("„%1“ ist ein ZIP-Archiv, aber keine Tabelle (.ods oder .xlsx).");
    case SourceErrorKind::LegacyOffice:
        return QStringLiteral(
                "„%1“ ist im alten Office-Format (etwa .xls oder .doc) oder verschlüsselt. "
                "Speichern Sie die Tabelle im Tabellenprogramm als .xlsx, .ods oder CSV-Datei.");
    case SourceErrorKind::Pdf:
        return QStringLiteral("„%1“ ist ein PDF-Dokument, keine Adressdatei.");
    case SourceErrorKind::Picture:
        return QStringLiteral("„%1“ ist ein Bild (%2), keine Adressdatei.");
    case SourceErrorKind::Utf16Text:
        return QStringLiteral("„%1“ ist eine Textdatei in UTF-16. Speichern Sie sie in der Kodierung UTF-8.");
    case SourceErrorKind::Binary:
        return QStringLiteral("„%1“ ist eine Binärdatei (sie enthält Nullbytes), keine Adressdatei.");
    case SourceErrorKind::DamagedArchive:
        return QStringLiteral("„%1“ ist beschädigt oder unvollständig und kann nicht gelesen werden.");
    case SourceErrorKind::TooLarge:
        return QStringLiteral("„%1“ enthält mehr Daten, als gelesen werden können (ausgepackt zu groß).");
    case SourceErrorKind::TooManyStrings:
        return QStringLiteral("„%1“ enthält zu viele verschiedene Texte, um gelesen zu werden.");
    case SourceErrorKind::TooManyColumns:
        return QStringLiteral("„%1“ hat in Zeile %2 zu viele Spalten.");
    case SourceErrorKind::TooManyRows:
        return QStringLiteral("„%1“ hat zu viele Zeilen oder Kontakte.");
    case SourceErrorKind::ForbiddenXml:
        return QStringLiteral("„%1“ enthält eine Dokumenttypdeklaration (%2); solche Dateien werden aus "
                              "Sicherheitsgründen nicht gelesen.");
    case SourceErrorKind::MalformedXml:
        return QStringLiteral("„%1“ ist beschädigt: %2 ist kein gültiges XML.");
    case SourceErrorKind::MissingPart:
        return QStringLiteral("„%1“ ist unvollständig: der Teil %2 fehlt.");
    case SourceErrorKind::NoSheets:
        return QStringLiteral("„%1“ enthält kein Tabellenblatt.");
    }
    return QString();
}

QString ContactsWithoutAddressText()
{
    return QStringLiteral("%1 Kontakte ohne Postanschrift");
}

QString HiddenRowsSkippedText()
{
    return QStringLiteral("Ausgeblendete Zeilen und Spalten werden ausgelassen (%1 Zeilen).");
}

} // namespace sources
