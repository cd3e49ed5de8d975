// libFuzzer target for the envelope settings-file reader: any bytes give a result or the
// input/output error, never a crash; what was read completely writes back and reads again the same.
#include "core/SettingsFile.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buf;
    buf.setData(input);
    buf.open(QIODevice::ReadOnly);
    const TSettingsReadResult r = ReadSettingsFile(buf);
    if (r.fieldsRead < 0 || r.fieldsRead > FieldCount || (r.error.has_value() && r.fieldsRead == FieldCount))
        abort();
    if (r.error)
        return 0;
    // A complete read: its values write back to bytes that read back to the same bytes.
    const QByteArray written = SettingsFileBytes(r.values);
    QBuffer again;
    again.setData(written);
    again.open(QIODevice::ReadOnly);
    const TSettingsReadResult r2 = ReadSettingsFile(again);
    if (r2.error || r2.fieldsRead != FieldCount || SettingsFileBytes(r2.values) != written)
        abort();
    return 0;
}
