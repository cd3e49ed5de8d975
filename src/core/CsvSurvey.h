#pragma once

#include <QStringList>

class QIODevice;

// What a run over a CSV file will handle, read before it asks: the records (lines that yield at least
// one field) from a start line on, and the first of them; the same again with line 1 passed over as
// a header.
struct TCsvSurvey
{
    int records = 0;
    int firstLine = 0; // line number of the first record, 0 when there is none
    QStringList first; // its recipient lines
    int recordsAfterHeader = 0;
    int firstLineAfterHeader = 0;
    QStringList firstAfterHeader;
};

// Reads the device from its current position to the end (CsvLineReader's rules; lines numbered from
// 1) and counts the records at or after startLine.
TCsvSurvey SurveyCsv(QIODevice &device, int startLine);

// The line number of the first record at or after startLine, reading the device from its current
// position; 0 when there is none.
int FirstRecordLine(QIODevice &device, int startLine);

// A record's fields as the recipient field's lines: the recipient text split at its line breaks,
// without the empty piece after the last one.
QStringList RecipientLines(const QStringList &fields);
