#pragma once

// CSV text as a record source. The encoding is decided as the CSV runs decide it today (a UTF-8
// byte-order mark: UTF-8 and the mark dropped; well-formed UTF-8: UTF-8; anything else:
// Windows-1252). Lines end at LF or CR LF; a lone CR outside a quoted field is dropped.
//
// Semicolon: the CSV runs' rules exactly (src/print/CsvReader): a line is a record, plain or quoted by its
// first character, field 24 of a quoted line in marks, the backslash escapes resolved. Lines that yield no
// field (empty, or a quoted line with a single mark) are passed over, as CsvLineReader does. Comma and tab:
// RFC 4180. A field that begins with a quotation mark is quoted: a doubled mark in it is one mark, separators
// and line breaks in it belong to the field (CR LF and LF become "\n"), text after its closing mark up to the
// next separator is appended; a mark inside an unquoted field is an ordinary character; a quoted field left
// open runs to the end of the file. No backslash escapes. Empty lines are no records; every other line (or
// quoted span) is one. Empty fields count in every mode; spaces are never trimmed; there is no header line.

#include "RecordSource.h"

#include "core/CsvReader.h"

#include <vector>

namespace sources {

// The CSV runs' encoding decision: UTF-8 with its mark, UTF-8, or Windows-1252.
using TextEncoding = CsvEncoding;

// The encoding decision and the decoding (the mark, when there, is dropped).
TextEncoding DetectTextEncoding(const QByteArray &bytes);
QString DecodeText(const QByteArray &bytes, TextEncoding encoding);
bool IsWellFormedUtf8(const QByteArray &bytes);
QString DecodeCp1252(const QByteArray &bytes);

// The separator the first lines of a decoded text suggest (up to 20 lines, quote-aware): the one
// that occurs in every line the same, non-zero number of times; of several, the one with most
// fields per line, then semicolon before tab before comma; else the one in most lines; semicolon
// when none occurs.
CsvSeparator SniffCsvSeparator(const QString &text);

// The CSV runs' semicolon rules for one line, escapes resolved: the fields a line gives.
QStringList SplitSemicolonLine(const QString &line);
QString ResolveCsvEscapes(const QString &field);

// RFC 4180: one record starting at from in text; its fields into fields (when not null). Returns
// the position after the record's line break (text.size() at the end).
qsizetype ReadRfc4180Record(const QString &text, qsizetype from, QChar separator, QStringList *fields);

class CsvSource final : public RecordSource
{
public:
    // The separator is preset by SniffCsvSeparator.
    CsvSource(const QByteArray &content, const SourceLimits &limits);

    SourceFormat format() const override { return SourceFormat::Csv; }
    qsizetype recordCount() const override { return qsizetype(m_starts.size()); }
    QStringList record(qsizetype k) const override;
    qsizetype recordLine(qsizetype k) const override;
    CsvSeparator separator() const override { return m_separator; }
    void setSeparator(CsvSeparator separator) override;

    TextEncoding encoding() const { return m_encoding; }
    // Set when the file holds more records than the bound (only the first maxRecords are kept).
    bool truncated() const { return m_truncated; }

private:
    void buildIndex();

    QString m_text;
    TextEncoding m_encoding;
    CsvSeparator m_separator;
    qsizetype m_maxRecords;
    bool m_truncated = false;
    std::vector<qsizetype> m_starts; // start of each record in m_text
    std::vector<qsizetype> m_lines;  // the line each record starts on, from 1
};

} // namespace sources
