// Reads wide-string records from arbitrary bytes until the data runs out, on a random-access and on a
// sequential device, and checks that every record read writes back to the very bytes it came from.

#include "SequentialDevice.h"
#include "core/BinaryIO.h"
#include "core/Errors.h"

#include <QBuffer>
#include <QtEndian>

#include <cstdlib>
#include <cstring>

namespace {

void readAll(QIODevice &device, const QByteArray &data)
{
    qint64 consumed = 0;
    for (;;) {
        QString text = QStringLiteral("before");
        try {
            ReadWideRecord(device, text);
        } catch (const EInOutError &) {
            if (text != QStringLiteral("before"))
                std::abort(); // a failed read must not change the text
            // Only a record that does not fit may fail.
            const qint64 left = data.size() - consumed;
            if (left >= 4) {
                const qint32 n = qFromLittleEndian<qint32>(data.constData() + consumed);
                if (n <= 0 || qint64(n) * 2 <= left - 4)
                    std::abort();
            }
            return;
        }
        const qint32 n = qFromLittleEndian<qint32>(data.constData() + consumed);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        WriteWideRecord(out, text);
        if (n < 0) {
            if (!text.isEmpty())
                std::abort();
            consumed += 4;
            continue;
        }
        if (out.data() != data.mid(consumed, out.data().size()))
            std::abort();
        consumed += out.data().size();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char *>(bytes), qsizetype(size));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    readAll(buffer, data);
    SequentialDevice pipe(data);
    readAll(pipe, data);
    return 0;
}
