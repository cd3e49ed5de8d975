#include "app/PrintRun.h"

#include "core/translateunit.h"
#include "print/Printer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>

namespace {

TPrintRun *&currentRun()
{
    static TPrintRun *run = nullptr;
    return run;
}

// The printer, in the layer below, waits on a full queue through this: the current run's progress
// window, or one of a run of one envelope.
class RunWaiter final : public TPrintWaiter
{
public:
    bool waitForPrinter(int pauseMs) override { return WaitForPrinter(pauseMs); }
};

RunWaiter g_runWaiter;
[[maybe_unused]] const bool runWaiterInstalled = (SetPrintWaiter(&g_runWaiter), true);

PdfRunListener &pdfRunListener()
{
    static PdfRunListener listener;
    return listener;
}

} // namespace

void SetPdfRunListener(PdfRunListener listener)
{
    pdfRunListener() = std::move(listener);
}

void TPrintRun::reportPdfFiles(TPrintRun *outer, const QString &lastFile, int files)
{
    if (files == 0)
        return;
    if (outer) {
        outer->m_lastPdfFile = lastFile;
        outer->m_pdfFiles += files;
        return;
    }
    // Also reached while an error leaves the run: telling where the files went must not throw on.
    try {
        if (pdfRunListener())
            pdfRunListener()(lastFile, files);
    } catch (...) {
    }
}

TPrintRun::TPrintRun(QWidget *parent, int total, int alreadyPrinted)
    : m_parent(parent)
    , m_total(total)
    , m_printed(alreadyPrinted)
    , m_outer(currentRun())
{
    currentRun() = this;
}

TPrintRun::~TPrintRun()
{
    currentRun() = m_outer;
    reportPdfFiles(m_outer, m_lastPdfFile, m_pdfFiles);
}

TPrintRun *TPrintRun::current()
{
    return currentRun();
}

void TPrintRun::useProgress(QProgressDialog *progress)
{
    m_progress = progress;
}

void TPrintRun::envelopePrinted()
{
    ++m_printed;
    if (Printer().isBuiltInPdfPrinter() && !Printer().lastOutputFile().isEmpty()) {
        m_lastPdfFile = Printer().lastOutputFile();
        ++m_pdfFiles;
    }
    if (m_ownProgress && m_ownProgress->isVisible()) {
        m_ownProgress->setValue(std::min(m_printed, m_ownProgress->maximum()));
        m_ownProgress->setLabelText(printedText());
    }
}

QString TPrintRun::printedText() const
{
    return TranslateText(QStringLiteral("%1 von %2 Umschlägen gedruckt")).arg(m_printed).arg(m_total);
}

QProgressDialog *TPrintRun::progress()
{
    if (m_progress)
        return m_progress;
    m_ownProgress = std::make_unique<QProgressDialog>(
            QString(), TranslateText(QStringLiteral("Abbrechen")), 0, std::max(1, m_total), m_parent);
    m_ownProgress->setWindowTitle(TranslateText(QStringLiteral("Drucken")));
    m_ownProgress->setWindowModality(Qt::ApplicationModal);
    m_ownProgress->setAutoReset(false);
    m_ownProgress->setAutoClose(false);
    m_ownProgress->setMinimumDuration(0);
    m_ownProgress->setValue(std::min(m_printed, m_ownProgress->maximum()));
    m_progress = m_ownProgress.get();
    return m_progress;
}

bool TPrintRun::waitForPrinter(int pauseMs)
{
    if (m_cancelled)
        return false;
    QProgressDialog *dialog = progress();
    const QString before = dialog->labelText();
    dialog->setLabelText(TranslateText(QStringLiteral("Warte auf den Drucker …")) + QLatin1Char('\n')
                         + printedText());
    if (!dialog->isVisible())
        dialog->show();
    // Short slices, so that a Cancel is seen at once also when it came without the canceled signal.
    QElapsedTimer clock;
    clock.start();
    while (!dialog->wasCanceled() && clock.elapsed() < pauseMs) {
        QEventLoop loop;
        QTimer::singleShot(std::clamp<qint64>(pauseMs - clock.elapsed(), 1, 50), &loop, &QEventLoop::quit);
        QObject::connect(dialog, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
        loop.exec();
    }
    m_cancelled = dialog->wasCanceled();
    if (!m_cancelled)
        dialog->setLabelText(m_ownProgress ? printedText() : before);
    return !m_cancelled;
}

bool WaitForPrinter(int pauseMs)
{
    if (TPrintRun *run = TPrintRun::current())
        return run->waitForPrinter(pauseMs);
    TPrintRun single(QApplication::activeWindow(), 1);
    return single.waitForPrinter(pauseMs);
}
