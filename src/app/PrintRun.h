#pragma once

#include "print/PrintRetry.h"
#include "print/PrintWaiter.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QProgressDialog;
class QWidget;

// A run of print jobs that one command makes (one envelope, copies, marked addresses, a CSV file):
// it counts the envelopes handed over and, while the print service is full, shows that it waits in a
// progress window whose Cancel ends the run between two envelopes. The innermost run is current;
// the print routine counts into it.
class TPrintRun : public TPrintWaiter
{
public:
    // alreadyPrinted: envelopes of the same job printed by an earlier run (a resumed CSV run).
    TPrintRun(QWidget *parent, int total, int alreadyPrinted = 0);
    ~TPrintRun() override;
    TPrintRun(const TPrintRun &) = delete;
    TPrintRun &operator=(const TPrintRun &) = delete;

    static TPrintRun *current();

    // The run's own progress window (the CSV runs have one); otherwise one is made at the first wait.
    void useProgress(QProgressDialog *progress);

    int total() const { return m_total; }
    int printed() const { return m_printed; }
    void envelopePrinted();
    bool cancelled() const { return m_cancelled; }

    // Says in the progress window that the run waits for the printer and how many envelopes are done,
    // and waits pauseMs with events running. False when the user cancelled (now or earlier).
    bool waitForPrinter(int pauseMs) override;

    // "%1 von %2 Umschlägen gedruckt" with this run's figures, translated.
    QString printedText() const;

private:
    QProgressDialog *progress();
    // Hands a finished run's PDF files to the run around it, or at the outermost to the listener.
    static void reportPdfFiles(TPrintRun *outer, const QString &lastFile, int files);

    QWidget *m_parent;
    int m_total;
    int m_printed = 0;
    bool m_cancelled = false;
    QPointer<QProgressDialog> m_progress;
    std::unique_ptr<QProgressDialog> m_ownProgress;
    TPrintRun *m_outer;
    // What the built-in PDF printer wrote during this run (an inner run hands its files outwards).
    QString m_lastPdfFile;
    int m_pdfFiles = 0;
};

// Waits for the printer on behalf of the current run, or of a run of one envelope when none is going.
bool WaitForPrinter(int pauseMs);

// Told once at the end of each outermost run that the built-in PDF printer wrote files for: the
// last file written and how many the run wrote. One listener at a time; an empty one stops it.
using PdfRunListener = std::function<void(const QString &lastFile, int files)>;
void SetPdfRunListener(PdfRunListener listener);
