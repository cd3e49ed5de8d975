#pragma once

#include "core/RecordText.h"
#include "print/MergeEngine.h"

namespace sources {
class RecordSource;
}

// Record k of a run (numbered from 1 after the header line when it is ticked) is the source's record
// k - 1, or k with the header. Returns the source's index, or -1 when there is no such record.
qsizetype SourceIndexOf(const sources::RecordSource &source, bool firstLineIsHeader, qsizetype number);
// The records a source holds after the header line when it is ticked.
qsizetype RecordsAfterHeader(const sources::RecordSource &source, bool firstLineIsHeader);
// The last record number of the run's range (options.to, or the last record when it is 0 or
// beyond the end).
qsizetype RangeEnd(const sources::RecordSource &source, const TRunOptions &options);
// The record number (after the header line when it is ticked) of the first record that starts at or
// after a file line; 0 when there is none.
qsizetype RecordNumberAtLine(const sources::RecordSource &source, bool firstLineIsHeader, qsizetype line);
// The envelopes a run with these options prints: the records of the range that give a line.
qsizetype CountRunRecords(const sources::RecordSource &source, const TRunOptions &options);

// The records of a run over an address source, in order, passing over records that give no line.
// A record's number is its record number (the one the run box shows and "Von" takes), its line where
// it starts in the file.
class TSourceRecords final : public TRecordSource
{
public:
    TSourceRecords(const sources::RecordSource &source, const TRunOptions &options);
    bool next(TMergeRecord &record) override;

private:
    const sources::RecordSource &m_source;
    TRunOptions m_options;
    qsizetype m_number;
    qsizetype m_end;
};
