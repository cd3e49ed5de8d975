#include "SettingsFile.h"

#include "BinaryIO.h"
#include "FontRecord.h"

#include "shell/Errors.h"

#include <QBuffer>
#include <QIODevice>

#include <functional>

void WriteSettingsFile(QIODevice &file, const TEnvelopeSettings &s)
{
    WriteWideRecord(file, s.recipient);
    WriteWideRecord(file, s.sender);
    WriteWideRecord(file, s.pictureFile);
    WriteFloat64(file, s.margin);
    WriteFloat64(file, s.pictureMargin);
    WriteFloat64(file, s.pictureWidth);
    WriteInt32(file, s.paperFormat);
    WriteInt32(file, s.picturePosition);
    WriteFontRecord(file, s.recipientFont);
    WriteFontRecord(file, s.senderFont);
    WriteWideRecord(file, s.infoLine);
    WriteFloat64(file, s.recipientAcross);
    WriteFloat64(file, s.recipientDown);
    WriteInt32(file, qint32(s.addresses.size()));
    // The list can hold thousands of entries and is written after every stored one: one device
    // write for all of them instead of one per entry.
    QByteArray records;
    for (const QString &a : s.addresses)
        AppendWideRecord(records, a);
    WriteBytes(file, records);
    WriteFlag(file, s.keepListOpen);
    WriteFlag(file, s.portrait);
}

QByteArray SettingsFileBytes(const TEnvelopeSettings &settings)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    WriteSettingsFile(buf, settings);
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
