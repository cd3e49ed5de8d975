#include "print/RunTarget.h"

#include "print/OneJobTarget.h"
#include "print/PdfTarget.h"
#include "print/PrinterTarget.h"
#include "render/EnvelopePicture.h"

std::unique_ptr<TPrintTarget> MakeRunTarget(TRunDestination destination,
                                            TPrinter &printer,
                                            const QString &title,
                                            const EnvelopeValue &envelope,
                                            const QString &pdfPath)
{
    switch (destination) {
    case TRunDestination::OneJob:
        return std::make_unique<TOneJobTarget>(printer, title, &SharedPictureCache());
    case TRunDestination::PdfFile:
        return std::make_unique<TPdfFileTarget>(pdfPath,
                                                title,
                                                PageSizeForPaperEntry(envelope.paperFormat, printer),
                                                envelope.portrait ? QPageLayout::Portrait
                                                                  : QPageLayout::Landscape,
                                                &SharedPictureCache());
    case TRunDestination::JobPerEnvelope:
        break;
    }
    return std::make_unique<TPrinterJobTarget>(printer, title, &SharedPictureCache());
}
