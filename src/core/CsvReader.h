#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QBuffer;
class QIODevice;

// How the bytes of a CSV file become text.
enum class CsvEncoding {
    Utf8WithBom, // starts with EF BB BF: the mark is dropped, the rest is read as UTF-8
    Utf8,        // every byte sequence is well-formed UTF-8
    Windows1252  // anything else
};

// Splits one line (no line break) into its raw fields, escapes not yet resolved. A line whose first
// character is a quotation mark is a quoted line (fields are the texts inside pairs of marks, the
// quote-inside-field rule applies, field 24 is put in marks when it is not empty and does not
// begin with one); any other line is cut at every ';', a final ';' starting no field. An empty list
// means the line yields no field (an empty line, or a quoted line with a single mark).
QStringList SplitCsvLine(const QString &line);
QStringList SplitPlainCsvLine(const QString &line);
QStringList SplitQuotedCsvLine(const QString &line);

// Resolves a field's backslash escapes: \r gives CR, \n gives LF, a run of backslashes counts as
// one, a backslash before any other character stays with it, and a backslash left at the end is kept.
QString UnescapeCsvField(const QString &text);

// The recipient text a line gives: each unescaped field followed by CR LF. Empty when the line
// yields no field (a line with one empty field gives "\r\n").
QString CsvRecipientText(const QStringList &fields);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(const QByteArray &bytes);
// Decodes Windows-1252; the five unassigned bytes map to the C1 controls of the same value.
QString DecodeWindows1252(const QByteArray &bytes);

// Incremental UTF-8 check over chunks: a sequence may be split between two chunks.
class Utf8Validator
{
public:
    void feed(const char *data, qint64 size);
    // Whether everything fed so far, taken as a whole file, is valid (an unfinished sequence is not).
    bool finish() const { return m_valid && m_pending == 0; }
    bool valid() const { return m_valid; }

private:
    bool m_valid = true;
    int m_pending = 0;            // continuation bytes still expected
    unsigned char m_lower = 0x80; // allowed range of the next continuation byte
    unsigned char m_upper = 0xBF;
};

// Reads a CSV file line by line: LF or CR LF end a line, a lone CR is dropped, a final line break
// makes no further line. The encoding is decided from the whole file before the first line is
// returned: a seekable device is checked in chunks and read again from its start position (memory
// stays bounded by the longest line); a sequential device is read into memory first.
// A read error of the device raises EInOutError.
class CsvLineReader
{
public:
    explicit CsvLineReader(QIODevice &device);
    ~CsvLineReader();
    CsvLineReader(const CsvLineReader &) = delete;
    CsvLineReader &operator=(const CsvLineReader &) = delete;

    CsvEncoding encoding() const { return m_encoding; }
    // The next line into line; false at the end of the file.
    bool readLine(QString &line);
    // The next record at or after line number startLine (the first line is 1) into fields, its line
    // number into number; lines without a field are passed over. False at the end of the file.
    bool readRecord(int startLine, int &number, QStringList &fields);
    // How far reading has come and the total, in bytes (for progress display).
    qint64 bytesRead() const;
    qint64 bytesTotal() const { return m_total; }

private:
    std::unique_ptr<QBuffer> m_copy; // in-memory copy of a sequential device
    QIODevice *m_device;             // the device read: the caller's, or the copy
    CsvEncoding m_encoding = CsvEncoding::Utf8;
    qint64 m_start = 0;
    qint64 m_total = 0;
    bool m_first = true;
    int m_lineNumber = 0;
};

// The decoding decision for a whole file held in memory (convenience for callers and tests).
CsvEncoding DetectCsvEncoding(const QByteArray &bytes);
// All lines of a file held in memory, read as CsvLineReader reads them.
QStringList ReadCsvLines(const QByteArray &bytes);
