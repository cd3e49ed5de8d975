#pragma once

#include "core/Envelope.h"
#include "render/EnvelopeRenderer.h"

#include <QStringList>

class PictureCache;
class QPainter;

// The envelope one address record gives: the design with the record's lines as the recipient, one line
// per field (a blank field giving no line with skipEmptyLines), each line followed by CR LF as the
// recipient field gives it back. The same envelope a run hands to its print target for that record.
EnvelopeValue RecordEnvelope(const EnvelopeValue &design, const QStringList &fields, bool skipEmptyLines);

// Draws that envelope onto painter for target, lying or upright by the one orientation rule applied to
// the target's canvas (a printer page, or the preview's sheet at its zoom). The run box's preview draws
// through this, and so may a print target.
EnvelopeLayout DrawRecordEnvelope(QPainter &painter,
                                  const RenderTarget &target,
                                  const EnvelopeValue &design,
                                  const QStringList &fields,
                                  bool skipEmptyLines,
                                  PictureCache *cache = nullptr);
