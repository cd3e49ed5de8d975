// libFuzzer entry point for the vCard reader: arbitrary bytes as an address book, every record read
// in each address kind. Beyond not crashing, the invariants below must hold.
#include "VCardSource.h"

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
    sources::SourceOptions options;
    options.locale = QLocale(QLocale::German, QLocale::Germany);
    options.limits.maxRecords = 2000;
    sources::VCardSource source(bytes, options);
    if (source.error()) {
        check(!sources::SourceErrorText(source.error().kind).isEmpty());
        return 0;
    }
    check(source.recordCount() >= 0 && source.contactsWithoutAddress() >= 0);
    for (const auto kind :
         {sources::AddressKind::Preferred, sources::AddressKind::Work, sources::AddressKind::Home}) {
        source.setAddressKind(kind);
        for (qsizetype k = 0; k < source.recordCount(); ++k) {
            // Lines are trimmed and never empty, and hold no line break.
            for (const QString &line : source.record(k))
                check(!line.isEmpty() && line == line.trimmed() && !line.contains(QLatin1Char('\n')));
        }
    }
    check(source.record(source.recordCount()).isEmpty());
    return 0;
}
