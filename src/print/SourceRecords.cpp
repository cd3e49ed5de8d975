#include "print/SourceRecords.h"

#include "core/sources/RecordSource.h"

qsizetype SourceIndexOf(const sources::RecordSource &source, bool firstLineIsHeader, qsizetype number)
{
    const qsizetype index = number - 1 + (firstLineIsHeader ? 1 : 0);
    return number >= 1 && index < source.recordCount() ? index : -1;
}

qsizetype RecordsAfterHeader(const sources::RecordSource &source, bool firstLineIsHeader)
{
    return qMax<qsizetype>(0, source.recordCount() - (firstLineIsHeader ? 1 : 0));
}

qsizetype RangeEnd(const sources::RecordSource &source, const TRunOptions &options)
{
    const qsizetype last = RecordsAfterHeader(source, options.firstLineIsHeader);
    return options.to <= 0 || options.to > last ? last : options.to;
}

qsizetype RecordNumberAtLine(const sources::RecordSource &source, bool firstLineIsHeader, qsizetype line)
{
    // Lines grow with the index: the first record at or after the line by halving.
    qsizetype lo = firstLineIsHeader ? 1 : 0, hi = source.recordCount();
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (source.recordLine(mid) < line)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < source.recordCount() ? lo + 1 - (firstLineIsHeader ? 1 : 0) : 0;
}

qsizetype CountRunRecords(const sources::RecordSource &source, const TRunOptions &options)
{
    const qsizetype end = RangeEnd(source, options);
    const qsizetype from = qMax<qsizetype>(1, options.from);
    if (!options.skipEmptyLines)
        return qMax<qsizetype>(0, end - from + 1);
    qsizetype count = 0;
    for (qsizetype n = from; n <= end; ++n)
        if (!RecordLines(source.record(SourceIndexOf(source, options.firstLineIsHeader, n)), true).isEmpty())
            ++count;
    return count;
}

TSourceRecords::TSourceRecords(const sources::RecordSource &source, const TRunOptions &options)
    : m_source(source)
    , m_options(options)
    , m_number(qMax<qsizetype>(1, options.from))
    , m_end(RangeEnd(source, options))
{}

bool TSourceRecords::next(TMergeRecord &record)
{
    while (m_number <= m_end) {
        const qsizetype number = m_number++;
        const qsizetype index = SourceIndexOf(m_source, m_options.firstLineIsHeader, number);
        const QStringList lines = RecordLines(m_source.record(index), m_options.skipEmptyLines);
        // A record without a line would print a blank envelope.
        if (lines.isEmpty())
            continue;
        record.recipient = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        record.number = int(number);
        record.line = int(m_source.recordLine(index));
        record.firstLine = lines.first();
        return true;
    }
    return false;
}
