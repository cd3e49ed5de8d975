#pragma once

// Reading back what the printer wrote: pages, sizes and titles of a PDF file, through poppler.

#include <poppler-qt6.h>

#include <QImage>
#include <QSizeF>
#include <QString>

#include <memory>

struct PdfFacts
{
    bool ok = false;
    int pages = 0;
    QSizeF firstPageMm; // width x height of the first page in millimetres
    QString title;
};

inline PdfFacts ReadPdf(const QString &file)
{
    PdfFacts facts;
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(file);
    if (!doc || doc->isLocked())
        return facts;
    facts.ok = true;
    facts.pages = doc->numPages();
    facts.title = doc->info(QStringLiteral("Title"));
    if (facts.pages > 0) {
        std::unique_ptr<Poppler::Page> page = doc->page(0);
        const QSizeF pt = page->pageSizeF();
        facts.firstPageMm = QSizeF(pt.width() / 72.0 * 25.4, pt.height() / 72.0 * 25.4);
    }
    return facts;
}

// The first page rendered at dpi, white background.
inline QImage RenderPdfPage(const QString &file, double dpi)
{
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(file);
    if (!doc || doc->numPages() < 1)
        return QImage();
    doc->setRenderHint(Poppler::Document::Antialiasing, true);
    doc->setRenderHint(Poppler::Document::TextAntialiasing, true);
    std::unique_ptr<Poppler::Page> page = doc->page(0);
    return page->renderToImage(dpi, dpi);
}

// Within 0.5 mm: poppler reports the page in points rounded by the writer.
inline bool SameMm(const QSizeF &a, const QSizeF &b, double tolerance = 0.5)
{
    return qAbs(a.width() - b.width()) <= tolerance && qAbs(a.height() - b.height()) <= tolerance;
}

// "w x h", for the message of a failed size comparison.
inline QString MmText(const QSizeF &mm)
{
    return QStringLiteral("%1 x %2").arg(mm.width()).arg(mm.height());
}
