#pragma once

// .ods and .xlsx workbooks as a record source.
//
// Each row of the chosen sheet is a record and its cells, in column order, its fields. A cell gives
// the text the spreadsheet shows: .ods the text of its paragraphs (text:p; several paragraphs or a
// line break in one give lines), .xlsx its value with the cell's number format applied (see
// NumberFormat.h), shared and inline strings as they are. Line breaks inside a cell are "\n".
// Empty cells between filled ones count as empty fields; a row's fields end at its last cell with
// text (formatted but empty cells after it give nothing), and a row without any text is no record.
// Hidden rows and columns are skipped: rows hidden by hand or by a filter (.ods visibility
// "collapse" or "filter", .xlsx hidden="1"), columns hidden likewise; so a filtered list prints what
// the user sees. hiddenRowsSkipped() counts the hidden rows that had text.
// Repeated rows and columns (.ods number-rows-repeated, number-columns-repeated) are not
// materialised while empty; repeated text counts towards the bounds.
// Sheets are listed in workbook order; the first is chosen when opened. Formulas give their last
// computed value as stored in the file.
//
// Bounds (SourceLimits): uncompressed bytes per entry and in total (streamed: a zip bomb stops at
// the bound), shared strings, columns (a cell past maxColumns is an error, even an empty repeated
// run in .xlsx by its reference), records and stored characters. Documents with a DTD are refused
// (no entity is ever expanded).

#include "RecordSource.h"

#include <memory>
#include <vector>

namespace sources {

class NumberFormatter;
class ZipArchive;

// One read sheet: the fields of all records in one text, each field ended by U+FFFF (a character
// XML cannot hold), and each record's place in it.
struct SheetRecords
{
    QString pool;
    struct Span
    {
        quint32 start;
        quint32 length;
    };
    std::vector<Span> records;
    qsizetype hiddenRows = 0;
};

class SpreadsheetSource final : public RecordSource
{
public:
    // Opens the workbook in content (a zip whose kind DetectContent found) and reads its first
    // sheet. Check error() before use.
    SpreadsheetSource(SourceFormat format, const QByteArray &content, const SourceOptions &options);
    ~SpreadsheetSource() override;

    SourceError error() const { return m_error; }

    SourceFormat format() const override { return m_format; }
    qsizetype recordCount() const override;
    QStringList record(qsizetype k) const override;
    QStringList sheetNames() const override { return m_sheetNames; }
    int currentSheet() const override { return m_current; }
    SourceError selectSheet(int index) override;
    qsizetype hiddenRowsSkipped() const override;

private:
    SourceError openOds();
    SourceError openXlsx();
    SourceError readXlsxSheet(int index);

    SourceFormat m_format;
    SourceOptions m_options;
    std::unique_ptr<ZipArchive> m_zip;
    SourceError m_error;
    QStringList m_sheetNames;
    std::vector<std::unique_ptr<SheetRecords>> m_sheets; // null until read
    int m_current = 0;

    // .xlsx parts
    QStringList m_sheetParts;
    QString m_sharedPool;                // shared strings, each ended by U+FFFF
    std::vector<quint32> m_sharedStarts; // start of each shared string
    std::vector<std::shared_ptr<const NumberFormatter>> m_styleFormats; // per cell style index
    std::shared_ptr<const NumberFormatter> m_general;
    bool m_date1904 = false;
};

} // namespace sources
