#pragma once

#include <QString>
#include <QStringList>

// What a run over an address source takes: the records after the header line when it is ticked,
// numbered from 1, from `from` to `to` (0: to the last), and whether blank fields give no line.
struct TRunOptions
{
    bool firstLineIsHeader = false;
    bool skipEmptyLines = false;
    qsizetype from = 1;
    qsizetype to = 0;

    bool operator==(const TRunOptions &) const = default;
};

// Where a print run's envelopes go; one job per envelope is the program's own way.
enum class TRunDestination { JobPerEnvelope, OneJob, PdfFile };

// A record's recipient lines: one per field, a line break inside a field (CR LF, CR or LF) giving
// more. With skipEmptyLines, a field that is empty or holds only spaces gives no line.
QStringList RecordLines(const QStringList &fields, bool skipEmptyLines);

// The same lines as the recipient field gives them back: each followed by CR LF. Empty when the
// record gives no line.
QString RecordRecipient(const QStringList &fields, bool skipEmptyLines);
