#pragma once

#include "print/MergeEngine.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <memory>

class PictureCache;
class QPainter;
class QPdfWriter;
class QSaveFile;
class TPrinter;

// The paper of an entry of the paper list, upright: the size its code names, the custom size, or for
// the entry without a paper the printer's paper in force.
QPageSize PageSizeForPaperEntry(int entry, const TPrinter &printer);

// The whole run as one PDF file at path, whatever printer is chosen: one page of pageSize and
// orientation per envelope, drawn by the renderer the printer uses but without any printer's shift
// or feed, the document titled title. The file is written beside path under another name and takes
// path's place only when the run completes: a run that is cancelled or fails leaves no file behind
// and any earlier file at path as it was. A run without envelopes writes nothing.
class TPdfFileTarget final : public TPrintTarget
{
public:
    // Device pixels per inch of the pages: the renderer measures in them (as for the built-in PDF
    // printer); text and lines stay vector drawings.
    static constexpr int Resolution = 1200;

    TPdfFileTarget(QString path,
                   QString title,
                   const QPageSize &pageSize,
                   QPageLayout::Orientation orientation,
                   PictureCache *cache);
    ~TPdfFileTarget() override;
    TPdfFileTarget(const TPdfFileTarget &) = delete;
    TPdfFileTarget &operator=(const TPdfFileTarget &) = delete;

    void beginRun(int) override;
    void printEnvelope(const EnvelopeValue &envelope) override;
    // Throws EInOutError naming the file when it cannot be written whole.
    void endRun() override;
    void abortRun() override;
    bool handsOverAtEnd() const override { return true; }

    int pages() const { return m_pages; }

private:
    void open();
    [[noreturn]] void fail(const QString &why);

    QString m_path;
    QString m_title;
    QPageSize m_pageSize;
    QPageLayout::Orientation m_orientation;
    PictureCache *m_cache;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
};
