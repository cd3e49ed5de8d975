#include "core/SettingsFile.h"

#include "core/BinaryIO.h"
#include "core/FontRecord.h"

#include "core/Errors.h"

#include <QIODevice>

#include <functional>

void WriteSettingsFile(QIODevice &file, const TEnvelopeSettings &settings)
{
    // One device write for the whole file: the address list can hold thousands of entries and is
    // written after every stored one.
    WriteBytes(file, SettingsFileBytes(settings));
}

QByteArray SettingsFileBytes(const TEnvelopeSettings &s)
{
    // The address list makes up nearly all of the file and is written after every stored entry:
    // room for all of it at once, so its bytes are copied once.
    qsizetype addressBytes = 0;
    for (const QString &a : s.addresses)
        addressBytes += 4 + 2 * a.size();
    QByteArray bytes;
    bytes.reserve(addressBytes + 4096);
    for (const QString *text : {&s.recipient, &s.sender, &s.pictureFile})
        AppendWideRecord(bytes, *text);
    for (const double length : {s.margin, s.pictureMargin, s.pictureWidth})
        AppendFloat64(bytes, length);
    AppendInt32(bytes, s.paperFormat);
    AppendInt32(bytes, s.picturePosition);
    AppendFontRecord(bytes, s.recipientFont);
    AppendFontRecord(bytes, s.senderFont);
    AppendWideRecord(bytes, s.infoLine);
    AppendFloat64(bytes, s.recipientAcross);
    AppendFloat64(bytes, s.recipientDown);
    AppendInt32(bytes, qint32(s.addresses.size()));
    for (const QString &a : s.addresses)
        AppendWideRecord(bytes, a);
    AppendFlag(bytes, s.keepListOpen);
    AppendFlag(bytes, s.portrait);
    return bytes;
}

TSettingsReadResult ReadSettingsFile(QIODevice &file)
{
    TSettingsReadResult r;
    TEnvelopeSettings &v = r.values;
    qint32 addressCount = 0;
    // One row per field in file order; a row that opens an optional section is skipped, with all
    // after it, when an older, shorter file ends before it. A field counts as read once complete.
    struct Step
    {
        TSettingsField field;
        bool opensSection;
        std::function<void()> read;
    };
    // Fonts are read into a fresh font and kept only when complete.
    const auto readFont = [&file](TFontRec &into) {
        TFontRec font;
        ReadFontRecord(file, font);
        into = font;
    };
    const Step steps[] = {
            {FieldRecipient, false, [&] { ReadWideRecord(file, v.recipient); }},
            {FieldSender, false, [&] { ReadWideRecord(file, v.sender); }},
            {FieldPictureFile, false, [&] { ReadWideRecord(file, v.pictureFile); }},
            {FieldMargin, false, [&] { v.margin = ReadFloat64(file); }},
            {FieldPictureMargin, false, [&] { v.pictureMargin = ReadFloat64(file); }},
            {FieldPictureWidth, false, [&] { v.pictureWidth = ReadFloat64(file); }},
            {FieldPaperFormat, false, [&] { v.paperFormat = ReadInt32(file); }},
            {FieldPicturePosition, false, [&] { v.picturePosition = ReadInt32(file); }},
            {FieldRecipientFont, true, [&] { readFont(v.recipientFont); }},
            {FieldSenderFont, false, [&] { readFont(v.senderFont); }},
            {FieldInfoLine, true, [&] { ReadWideRecord(file, v.infoLine); }},
            {FieldRecipientAcross, true, [&] { v.recipientAcross = ReadFloat64(file); }},
            {FieldRecipientDown, true, [&] { v.recipientDown = ReadFloat64(file); }},
            {FieldAddressCount,
             true,
             [&] {
                 addressCount = ReadInt32(file);
                 v.addresses.clear();
             }},
            {FieldAddresses,
             false,
             [&] {
                 for (qint32 i = 0; i < addressCount; ++i) {
                     QString a;
                     ReadWideRecord(file, a);
                     v.addresses.append(a);
                 }
             }},
            {FieldKeepListOpen, true, [&] { v.keepListOpen = ReadFlag(file); }},
            {FieldPortrait, true, [&] { v.portrait = ReadFlag(file); }},
    };
    try {
        for (const Step &step : steps) {
            if (step.opensSection && file.atEnd())
                break;
            step.read();
            r.fieldsRead = step.field;
        }
    } catch (const EInOutError &e) {
        r.error = e.message();
    }
    return r;
}
