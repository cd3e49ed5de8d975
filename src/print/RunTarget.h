#pragma once

#include "core/RecordText.h"
#include "print/MergeEngine.h"

#include <memory>

class TPrinter;

// The target a run's destination asks for, on the printer (jobs) or into pdfPath (one PDF file of
// the envelope's paper), titled title.
std::unique_ptr<TPrintTarget> MakeRunTarget(TRunDestination destination,
                                            TPrinter &printer,
                                            const QString &title,
                                            const EnvelopeValue &envelope,
                                            const QString &pdfPath = QString());
