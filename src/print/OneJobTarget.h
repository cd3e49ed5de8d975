#pragma once

#include "print/MergeEngine.h"

#include <QString>

class PictureCache;
class TPrinter;

// What a refused whole-run job adds to the printer's words: which records to print again. German
// keys of the translation table.
namespace OneJobText {
inline constexpr char ReprintRange[]
        = "Keiner der Umschläge dieses Druckauftrags wurde gedruckt. Drucken Sie die Datensätze %1 bis %2 "
          "erneut.";
inline constexpr char ReprintOne[]
        = "Der Umschlag dieses Druckauftrags wurde nicht gedruckt. Drucken Sie den Datensatz %1 erneut.";
inline constexpr char NoneOfCount[] = "Keiner der %1 Umschläge dieses Druckauftrags wurde gedruckt.";
inline constexpr const char *All[] = {ReprintRange, ReprintOne, NoneOfCount};
} // namespace OneJobText

// The whole run as one print job on the printer, titled title: one page per envelope, drawn as a
// job of its own would be (set-up, shift and feed included). The job begins with the first envelope
// and is handed to the print service in endRun, waiting through the installed waiter while the
// queue is full; a run that is cancelled or fails before that submits nothing. When the service
// refuses the job, the error names the records to print again.
class TOneJobTarget final : public TPrintTarget
{
public:
    TOneJobTarget(TPrinter &printer, QString title, PictureCache *cache);
    ~TOneJobTarget() override;
    TOneJobTarget(const TOneJobTarget &) = delete;
    TOneJobTarget &operator=(const TOneJobTarget &) = delete;

    void beginRun(int) override;
    void recordNext(const TMergeRecord &record) override;
    void printEnvelope(const EnvelopeValue &envelope) override;
    void endRun() override;
    void abortRun() override;
    bool handsOverAtEnd() const override { return true; }

    // Pages drawn into the job so far.
    int pages() const { return m_pages; }

private:
    TPrinter &m_printer;
    QString m_title;
    PictureCache *m_cache;
    bool m_open = false; // the job has begun and is not yet handed over or dropped
    int m_dpi = 0;
    int m_pages = 0;
    int m_next = 0; // the record number of the envelope about to be drawn
    int m_first = 0;
    int m_last = 0;
};
