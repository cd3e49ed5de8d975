#include "RecordSource.h"

#include "CsvSource.h"
#include "SpreadsheetSource.h"
#include "VCardSource.h"
#include "ZipArchive.h"

#include "core/CsvFileCheck.h"

#include <QFile>

namespace sources {

namespace {

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
    // The same signatures as the CSV runs' own check, so both refuse the same files.
    const QByteArray head = content.left(NonTextProbeSize);
    switch (DetectNonText(head)) {
    case NonTextKind::ZipContainer:
        return detectZip(content);
    case NonTextKind::OfficeLegacy:
        return {SourceFormat::Csv, {SourceErrorKind::LegacyOffice, QString()}};
    case NonTextKind::Pdf:
        return {SourceFormat::Csv, {SourceErrorKind::Pdf, QString()}};
    case NonTextKind::Png:
        return {SourceFormat::Csv, picture("PNG")};
    case NonTextKind::Jpeg:
        return {SourceFormat::Csv, picture("JPEG")};
    case NonTextKind::Gif:
        return {SourceFormat::Csv, picture("GIF")};
    case NonTextKind::Bmp:
        return {SourceFormat::Csv, picture("BMP")};
    case NonTextKind::Tiff:
        return {SourceFormat::Csv, picture("TIFF")};
    case NonTextKind::WebP:
        return {SourceFormat::Csv, picture("WebP")};
    case NonTextKind::Utf16Text:
        return {SourceFormat::Csv, {SourceErrorKind::Utf16Text, QString()}};
    case NonTextKind::NulBytes:
        return {SourceFormat::Csv, {SourceErrorKind::Binary, QString()}};
    case NonTextKind::None:
        break;
    }
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
    case SourceFormat::List: // never detected
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
