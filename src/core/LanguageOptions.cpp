#include "core/LanguageOptions.h"

#include "core/BinaryIO.h"
#include "core/translateunit.h"

#include <QBuffer>

TLanguageOptions ParseLanguageOptions(const QByteArray &bytes)
{
    TLanguageOptions options;
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
    // Each field only when the file holds it whole: a cut file is no error here.
    if (bytes.size() >= 4) {
        const qint32 language = ReadInt32(file);
        options.language = (language >= 0 && language < TranslationColumns) ? language : 0;
    }
    if (bytes.size() >= LanguageFileSize)
        options.millimetres = ReadFlag(file);
    return options;
}

QByteArray SerializeLanguageOptions(const TLanguageOptions &options)
{
    QByteArray bytes;
    AppendInt32(bytes, options.language);
    AppendFlag(bytes, options.millimetres);
    return bytes;
}
