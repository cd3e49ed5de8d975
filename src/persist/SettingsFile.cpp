#include "SettingsFile.h"

#include "BinaryFields.h"
#include "FontRecord.h"

#include "shell/Errors.h"
#include "shell/velmora.h"

#include <QBuffer>
#include <QIODevice>
#include <QSaveFile>

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
    for (const QString &a : s.addresses)
        WriteWideRecord(file, a);
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
    try {
        ReadWideRecord(file, v.recipient);
        r.fieldsRead = FieldRecipient;
        ReadWideRecord(file, v.sender);
        r.fieldsRead = FieldSender;
        ReadWideRecord(file, v.pictureFile);
        r.fieldsRead = FieldPictureFile;
        v.margin = ReadFloat64(file);
        r.fieldsRead = FieldMargin;
        v.pictureMargin = ReadFloat64(file);
        r.fieldsRead = FieldPictureMargin;
        v.pictureWidth = ReadFloat64(file);
        r.fieldsRead = FieldPictureWidth;
        v.paperFormat = ReadInt32(file);
        r.fieldsRead = FieldPaperFormat;
        v.picturePosition = ReadInt32(file);
        r.fieldsRead = FieldPicturePosition;

        // The optional sections: an older, shorter file simply ends before one of them.
        if (file.atEnd())
            return r;
        {
            TFontRec font; // read into a fresh font, kept only when complete
            ReadFontRecord(file, font);
            v.recipientFont = font;
            r.fieldsRead = FieldRecipientFont;
            font = TFontRec();
            ReadFontRecord(file, font);
            v.senderFont = font;
            r.fieldsRead = FieldSenderFont;
        }
        if (file.atEnd())
            return r;
        ReadWideRecord(file, v.infoLine);
        r.fieldsRead = FieldInfoLine;
        if (file.atEnd())
            return r;
        v.recipientAcross = ReadFloat64(file);
        r.fieldsRead = FieldRecipientAcross;
        if (file.atEnd())
            return r;
        v.recipientDown = ReadFloat64(file);
        r.fieldsRead = FieldRecipientDown;
        if (file.atEnd())
            return r;
        const qint32 n = ReadInt32(file);
        v.addresses.clear();
        r.fieldsRead = FieldAddressCount;
        for (qint32 i = 0; i < n; ++i) {
            QString a;
            ReadWideRecord(file, a);
            v.addresses.append(a);
        }
        r.fieldsRead = FieldAddresses;
        if (file.atEnd())
            return r;
        v.keepListOpen = ReadFlag(file);
        r.fieldsRead = FieldKeepListOpen;
        if (file.atEnd())
            return r;
        v.portrait = ReadFlag(file);
        r.fieldsRead = FieldPortrait;
    } catch (const EInOutError &e) {
        r.error = e.message();
    }
    return r;
}

bool WriteFileAtomically(const QString &fname, const std::function<void(QIODevice &)> &write, QString *whyNot)
{
    QSaveFile file(fname);
    if (!file.open(QIODevice::WriteOnly)) {
        if (whyNot)
            *whyNot = file.errorString();
        return false;
    }
    // An exception leaves the QSaveFile uncommitted: its destructor discards the temporary file.
    write(file);
    // commit() does not notice a failed flush of the last buffered bytes and would put a cut file in
    // place of the old one (a full disk at exit would lose the address list), so flush first.
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const QString message = WriteFailedMessage(file);
        file.cancelWriting();
        throw EInOutError(message);
    }
    if (!file.commit())
        throw EInOutError(WriteFailedMessage(file));
    return true;
}
