#include "core/EnvelopeDocument.h"

#include "core/PaperFormats.h"

TEnvelopeDocument::TEnvelopeDocument(QObject *parent)
    : QObject(parent)
{}

void TEnvelopeDocument::setEnvelope(const EnvelopeValue &envelope)
{
    if (static_cast<const EnvelopeValue &>(m_contents) == envelope)
        return;
    static_cast<EnvelopeValue &>(m_contents) = envelope;
    emit envelopeChanged();
}

void TEnvelopeDocument::setAddresses(const QStringList &addresses)
{
    m_contents.addresses = addresses;
    emit addressesReset();
}

void TEnvelopeDocument::appendAddress(const QString &address)
{
    m_contents.addresses.append(address);
    emit addressAppended(address);
}

void TEnvelopeDocument::apply(const TSettingsReadResult &r)
{
    const TEnvelopeSettings &v = r.values;
    EnvelopeValue e = envelope();
    if (r.has(FieldRecipient))
        e.recipient = v.recipient;
    if (r.has(FieldSender))
        e.sender = v.sender;
    if (r.has(FieldPictureFile))
        e.pictureFile = v.pictureFile;
    if (r.has(FieldMargin))
        e.margin = v.margin;
    if (r.has(FieldPictureMargin))
        e.pictureMargin = v.pictureMargin;
    if (r.has(FieldPictureWidth))
        e.pictureWidth = v.pictureWidth;
    if (r.has(FieldPaperFormat))
        e.paperFormat = v.paperFormat;
    if (r.has(FieldPicturePosition))
        e.picturePosition = v.picturePosition;
    if (r.has(FieldRecipientFont))
        e.recipientFont = v.recipientFont;
    if (r.has(FieldSenderFont))
        e.senderFont = v.senderFont;
    if (r.has(FieldInfoLine))
        e.infoLine = v.infoLine;
    if (r.has(FieldRecipientAcross))
        e.recipientAcross = v.recipientAcross;
    if (r.has(FieldRecipientDown))
        e.recipientDown = v.recipientDown;
    if (r.has(FieldPortrait))
        e.portrait = v.portrait;
    setEnvelope(e);
    if (r.hasAddressList())
        setAddresses(v.addresses);
    if (r.has(FieldKeepListOpen))
        setKeepListOpen(v.keepListOpen);
}

double TEnvelopeDocument::Millimetres(double shown, bool inchMode)
{
    if (!inchMode)
        return shown;
    return double(static_cast<long double>(shown) * static_cast<long double>(MmPerInch));
}
