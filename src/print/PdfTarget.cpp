#include "print/PdfTarget.h"

#include "core/Errors.h"
#include "core/PaperFormats.h"
#include "core/translateunit.h"
#include "print/Printer.h"
#include "render/EnvelopeRenderer.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <utility>

QPageSize PageSizeForPaperEntry(int entry, const TPrinter &printer)
{
    const PaperRequest paper = PaperRequestFor(entry);
    if (paper.kind == PaperRequest::Custom) {
        const int shortSide = qMin(paper.lengthMm, paper.widthMm);
        const int longSide = qMax(paper.lengthMm, paper.widthMm);
        return QPageSize(QSizeF(shortSide, longSide),
                         QPageSize::Millimeter,
                         QStringLiteral("%1 x %2 mm").arg(shortSide).arg(longSide),
                         QPageSize::ExactMatch);
    }
    if (paper.kind == PaperRequest::Code) {
        const QPageSize size = PageSizeForPaperCode(paper.code);
        if (size.isValid())
            return size;
    }
    // The printer keeps its paper for the entry without one and for a code it has no paper for.
    return printer.paperSize();
}

TPdfFileTarget::TPdfFileTarget(QString path,
                               QString title,
                               const QPageSize &pageSize,
                               QPageLayout::Orientation orientation,
                               PictureCache *cache)
    : m_path(std::move(path))
    , m_title(std::move(title))
    , m_pageSize(pageSize)
    , m_orientation(orientation)
    , m_cache(cache)
{}

TPdfFileTarget::~TPdfFileTarget()
{
    abortRun();
}

void TPdfFileTarget::beginRun(int)
{
    abortRun();
    m_pages = 0;
}

void TPdfFileTarget::fail(const QString &why)
{
    abortRun();
    QString text = TranslateText(QString::fromUtf8(PrinterText::PdfFileNotWritten))
                           .arg(QDir::toNativeSeparators(m_path));
    if (!why.isEmpty())
        text += u' ' + why;
    throw EInOutError(text);
}

void TPdfFileTarget::open()
{
    m_file = std::make_unique<QSaveFile>(m_path);
    if (!m_file->open(QIODevice::WriteOnly))
        fail(m_file->errorString());
    m_writer = std::make_unique<QPdfWriter>(m_file.get());
    m_writer->setTitle(m_title);
    m_writer->setCreator(QStringLiteral("Kuvertino"));
    m_writer->setResolution(Resolution);
    m_writer->setPageLayout(QPageLayout(m_pageSize, m_orientation, QMarginsF(0, 0, 0, 0)));
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_writer.get()))
        fail(m_file->errorString());
}

void TPdfFileTarget::printEnvelope(const EnvelopeValue &envelope)
{
    if (!m_painter)
        open();
    else if (!m_writer->newPage())
        fail(m_file->errorString());
    RenderTarget t;
    t.dpi = Resolution;
    t.width = m_writer->width();
    t.height = m_writer->height();
    t.zoom = 100;
    t.printit = true;
    t.pageWidth = t.width;
    t.pageHeight = t.height;
    t.printerDpi = Resolution;
    // Each page starts from the same state, whatever the last one left.
    m_painter->save();
    if (UsePortraitRenderer(t.width, t.height))
        DrawEnvelopeHochformat(*m_painter, envelope, t, m_cache);
    else
        DrawEnvelope(*m_painter, envelope, t, m_cache);
    m_painter->restore();
    ++m_pages;
}

void TPdfFileTarget::endRun()
{
    if (!m_painter)
        return;
    const bool ended = m_painter->end();
    m_painter.reset();
    m_writer.reset();
    // commit() alone passes over a write the disk cut short; the flush before it reports it.
    if (!ended || !m_file->flush() || m_file->error() != QFileDevice::NoError || !m_file->commit())
        fail(m_file->errorString());
    m_file.reset();
}

void TPdfFileTarget::abortRun()
{
    // Nothing reaches path: the file beside it is removed with the save file.
    if (m_file)
        m_file->cancelWriting();
    if (m_painter)
        m_painter->end();
    m_painter.reset();
    m_writer.reset();
    m_file.reset();
}
