#include "render/RecordEnvelope.h"

#include "core/RecordText.h"

EnvelopeValue RecordEnvelope(const EnvelopeValue &design, const QStringList &fields, bool skipEmptyLines)
{
    EnvelopeValue e = design;
    e.recipient = RecordRecipient(fields, skipEmptyLines);
    return e;
}

EnvelopeLayout DrawRecordEnvelope(QPainter &painter,
                                  const RenderTarget &target,
                                  const EnvelopeValue &design,
                                  const QStringList &fields,
                                  bool skipEmptyLines,
                                  PictureCache *cache)
{
    const EnvelopeValue e = RecordEnvelope(design, fields, skipEmptyLines);
    if (UsePortraitRenderer(target.width, target.height))
        return DrawEnvelopeHochformat(painter, e, target, cache);
    return DrawEnvelope(painter, e, target, cache);
}
