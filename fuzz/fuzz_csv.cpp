// libFuzzer entry point for the CSV line reader: arbitrary bytes as a file, every line split and
// unescaped as the two CSV runs do. Beyond not crashing, the invariants below must hold.
#include "core/CsvReader.h"
#include "core/Errors.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        CsvLineReader reader(buffer);
        check(reader.encoding() == DetectCsvEncoding(bytes));
        QString line;
        int lines = 0;
        while (reader.readLine(line)) {
            ++lines;
            check(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
            const QStringList fields = SplitCsvLine(line);
            // Only an empty line or a quoted line with one mark yields nothing.
            if (fields.isEmpty())
                check(line.isEmpty()
                      || (line.front() == QLatin1Char('"') && line.count(QLatin1Char('"')) == 1));
            if (!line.isEmpty() && line.front() != QLatin1Char('"')) {
                // Plain lines lose nothing but the separators.
                QString joined = fields.join(QLatin1Char(';'));
                if (line.endsWith(QLatin1Char(';')))
                    joined += QLatin1Char(';');
                check(joined == line);
            }
            qsizetype total = 0;
            for (const QString &f : fields) {
                const QString u = UnescapeCsvField(f);
                check(u.size() <= f.size() + 1);
                total += u.size() + 2;
            }
            check(CsvRecipientText(fields).size() == total);
        }
        check(reader.bytesRead() == reader.bytesTotal());
        check(lines <= bytes.count('\n') + 1);
        // The same bytes read in one piece give the same lines.
        check(ReadCsvLines(bytes).size() == lines);
    } catch (const EInOutError &) {
        abort(); // an in-memory device never fails
    }
    return 0;
}
