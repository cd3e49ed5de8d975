#pragma once

// Address sources for the mail merge: CSV text (semicolon, comma or tab), OpenDocument spreadsheets
// (.ods), Office Open XML workbooks (.xlsx) and vCard address books (.vcf), recognised by their
// content. This library needs Qt Core, QuaZip and, for the CSV byte rules, the core CSV reader.
//
// Use:
//     SourceOpenResult r = OpenRecordSource(path);          // or OpenRecordSource(bytes)
//     if (r.error) show(TranslateText(SourceErrorText(r.error.kind)).arg(fileName, r.error.detail));
//     RecordSource &s = *r.source;
//     for (qsizetype k = 0; k < s.recordCount(); ++k) use(s.record(k));
//
// Records and fields. A record is a QStringList of fields, the text to show, in order; the
// integration makes one recipient line per field, as the CSV runs do. Fields are final text: the
// semicolon CSV's backslash escapes are already resolved (exactly as the CSV runs' UnescapeCsvField
// does); in every other source a line break inside a field (a cell holding several lines, a
// quoted CSV field spanning lines, a vCard street of two lines) is one "\n" (LF), never CR LF.
// Counting is done once when a source is opened (or a sheet, separator or address kind chosen),
// and builds an index, so record(k) for any k costs about the same as for k = 0.
//
// Errors are values: no exception leaves this library (a std::bad_alloc aside). A SourceError
// names its kind; SourceErrorText(kind) gives the German source text for TranslateText, with %1
// for the file name and %2 for the error's detail (an entry of the archive, a line number, a
// picture format).

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <memory>

namespace sources {

enum class SourceFormat {
    Csv,   // text; separator semicolon, comma or tab (CsvSource)
    Ods,   // OpenDocument spreadsheet (SpreadsheetSource)
    Xlsx,  // Office Open XML workbook (SpreadsheetSource)
    VCard, // vCard 2.1, 3.0 or 4.0 (VCardSource)
    List,  // texts the program holds, never a file's content (ListSource)
};

enum class SourceErrorKind {
    None,
    CannotRead,     // the file could not be opened or read; detail: the system's reason
    WordProcessor,  // an .odt or .docx text document
    Presentation,   // an .odp or .pptx presentation, or another OpenDocument kind
    OtherZip,       // a zip archive that is neither a spreadsheet nor a document we know
    LegacyOffice,   // the compound file of .xls and .doc (also password-protected .xlsx)
    Pdf,            // a PDF document
    Picture,        // a picture; detail: its format (PNG, JPEG, GIF, BMP, TIFF, WebP)
    Utf16Text,      // text in UTF-16
    Binary,         // anything else with NUL bytes
    DamagedArchive, // a truncated or damaged zip archive; detail: the entry, when one is known
    TooLarge,       // more data than the bounds allow (a zip bomb, a huge file); detail: the entry
    TooManyStrings, // an .xlsx shared-strings table beyond the bound
    TooManyColumns, // a row with a cell beyond the column bound; detail: the row number
    TooManyRows,    // more records than the bound
    ForbiddenXml,   // XML with a document type declaration (entity definitions); detail: the entry
    MalformedXml,   // XML that is not well-formed; detail: entry and line
    MissingPart,    // a spreadsheet without its content (content.xml, workbook, sheet); detail: part
    NoSheets,       // a spreadsheet without any sheet
};

struct SourceError
{
    SourceErrorKind kind = SourceErrorKind::None;
    QString detail;
    explicit operator bool() const { return kind != SourceErrorKind::None; }
};

// The German source text of an error kind, for the program's TranslateText: %1 stands for the file
// name (as the caller shows it), %2 for the detail. Empty for None. Every text is a row of
// resources/translations/translate.tsv.
QString SourceErrorText(SourceErrorKind kind);
// German source texts for the run box: "%1 Kontakte ohne Postanschrift" (%1 the count of
// contactsWithoutAddress()) and the note on hidden rows (%1 the count of hiddenRowsSkipped()).
QString ContactsWithoutAddressText();
QString HiddenRowsSkippedText();

// Bounds that keep reading finite in memory and time whatever a file claims. The defaults are far
// above any real address file; tests lower them.
struct SourceLimits
{
    qint64 maxFileBytes = qint64(128) << 20;  // the file itself
    qint64 maxEntryBytes = qint64(256) << 20; // uncompressed bytes read from one zip entry
    qint64 maxTotalBytes = qint64(512) << 20; // uncompressed bytes read from one archive in all
    qint64 maxSharedStrings = 2'000'000;      // .xlsx shared-strings entries
    qint64 maxTextChars = qint64(32) << 20;   // characters of stored cell or contact text
    int maxColumns = 16'384;                  // columns of a sheet (Excel's own limit)
    qsizetype maxRecords = 1'048'576;         // records of one sheet, file or address book
};

struct SourceOptions
{
    // The locale whose conventions a spreadsheet's display follows (decimal and thousands
    // separators, the system date format of .xlsx's built-in date formats) and whose territory is
    // the user's own country for vCards (not printed). Default: the system locale.
    QLocale locale = QLocale::system();
    SourceLimits limits;
};

// Which of a contact's postal addresses a vCard record takes (see VCardSource.h for the rule).
enum class AddressKind { Preferred, Work, Home };

// CSV field separators.
enum class CsvSeparator { Semicolon, Comma, Tab };

// One open source. The base offers every choice the run box may show; a choice that does not
// apply to a format is ignored (and reports nothing).
class RecordSource
{
public:
    virtual ~RecordSource();
    virtual SourceFormat format() const = 0;

    // Records of the current choice (sheet, separator, address kind), and record k of them,
    // 0 <= k < recordCount(); an index out of range gives an empty list.
    virtual qsizetype recordCount() const = 0;
    virtual QStringList record(qsizetype k) const = 0;
    // Where record k starts in the file, as a user finds it there: a CSV file's line (from 1); in
    // other formats the record's position (k + 1). 0 out of range.
    virtual qsizetype recordLine(qsizetype k) const { return k >= 0 && k < recordCount() ? k + 1 : 0; }

    // Spreadsheets: the sheets' names in workbook order (empty for other formats); the first is
    // chosen when opened. Choosing reads that sheet (once; it is kept) and may fail (an error of
    // that sheet's part); after a failure the previous sheet stays chosen.
    virtual QStringList sheetNames() const { return {}; }
    virtual int currentSheet() const { return 0; }
    virtual SourceError selectSheet(int index);
    // Spreadsheets: rows skipped because they are hidden (or filtered out) in the chosen sheet.
    virtual qsizetype hiddenRowsSkipped() const { return 0; }

    // CSV: the separator in use (preset by the sniffer) and the choice of another.
    virtual CsvSeparator separator() const { return CsvSeparator::Semicolon; }
    virtual void setSeparator(CsvSeparator) {}

    // vCards: the address kind in use (Preferred when opened), its choice, and the contacts that
    // give no record because they hold no postal address.
    virtual AddressKind addressKind() const { return AddressKind::Preferred; }
    virtual void setAddressKind(AddressKind) {}
    virtual qsizetype contactsWithoutAddress() const { return 0; }
    // Their names (FN, else N put together, else the organisation), in file order, the first 1000.
    virtual QStringList contactsWithoutAddressNames() const { return {}; }
};

struct SourceOpenResult
{
    std::unique_ptr<RecordSource> source; // null when error is set
    SourceError error;
};

// What a file's content is, from its bytes (a zip is looked into). Error kinds name the refused
// kinds; a format is given for a file to read.
struct DetectedContent
{
    SourceFormat format = SourceFormat::Csv;
    SourceError error;
};
DetectedContent DetectContent(const QByteArray &content);

// Opens a source from the whole content of a file, or from a file by its path, recognised by
// content alone (the name is not looked at).
SourceOpenResult OpenRecordSource(QByteArray content, const SourceOptions &options = {});
SourceOpenResult OpenRecordSourceFile(const QString &path, const SourceOptions &options = {});

} // namespace sources
