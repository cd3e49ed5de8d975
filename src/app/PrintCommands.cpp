#include "app/PrintCommands.h"

#include "app/Dialogs.h"
#include "app/KopienFUnit.h"
#include "app/MainUnit.h"
#include "app/Preview.h"
#include "app/PrintRun.h"
#include "app/RxSpinEdit.h"
#include "core/translateunit.h"
#include "print/Printer.h"
#include "print/PrinterTarget.h"
#include "print/RunTarget.h"
#include "render/EnvelopePicture.h"

#include <QCheckBox>
#include <QDialog>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

int CopyCountFromValue(double value)
{
    if (!std::isfinite(value) || value < 1)
        return 0;
    return static_cast<int>(std::min(std::trunc(value), 1e9));
}

namespace {

// The same envelope n times: the copies of "Mehrere Kopien drucken...".
class CopiesSource final : public TRecordSource
{
public:
    CopiesSource(QString recipient, int copies)
        : m_recipient(std::move(recipient))
        , m_left(copies)
    {}
    bool next(TMergeRecord &record) override
    {
        if (m_left <= 0)
            return false;
        --m_left;
        record = TMergeRecord{m_recipient, 0, 0, QString()};
        return true;
    }

private:
    QString m_recipient;
    int m_left;
};

} // namespace

void RunCounter::envelopePrinted()
{
    m_run.envelopePrinted();
}

TPrinterJobTarget EnvelopeJobs()
{
    return TPrinterJobTarget(Printer(), MessageText(9), &SharedPictureCache());
}

void TMainForm::Drucken1Click()
{
    // Alone, an envelope is a run of one: it too can wait for a full print service, and be cancelled.
    std::optional<TPrintRun> single;
    if (!TPrintRun::current())
        single.emplace(this, 1);
    EnvelopeJobs().printEnvelope(envelope());
    TPrintRun::current()->envelopePrinted();
}

void TMainForm::Druckereinrichten1Click()
{
    // OK or cancel, the preview follows the printer's page afterwards, also when the dialog failed:
    // the preview's own entry resizes it to a changed page or redraws it at once.
    try {
        Dialogs().printerSetup(this, Printer());
    } catch (...) {
        PaintBox1Paint(nullptr);
        throw;
    }
    PaintBox1Paint(nullptr);
}

void TMainForm::MehrereKopiendrucken1Click()
{
    if (Dialogs().execModal(KopienForm) != QDialog::Accepted)
        return;
    const int n = CopyCountFromValue(KopienForm->CopiesEd->textValue());
    TPrintRun run(this, n);
    // Each copy is a job of its own, or all are pages of one job; an error ends the run at that copy.
    const EnvelopeValue design = envelope();
    CopiesSource copies(design.recipient, n);
    const std::unique_ptr<TPrintTarget> target
            = KopienForm->OneJobCheck->isChecked()
                      ? MakeRunTarget(TRunDestination::OneJob, Printer(), MessageText(9), design)
                      : std::make_unique<TPrinterJobTarget>(EnvelopeJobs());
    RunCounter counter(run);
    const TMergeResult result = RunMerge(copies, design, *target, n, {&run, &counter, nullptr});
    if (result.end == TMergeEnd::Failed)
        std::rethrow_exception(result.failure);
    if (result.end == TMergeEnd::Cancelled) {
        Dialogs().messageBox(
                this,
                TranslateText(QStringLiteral("Der Druck wurde nach %1 von %2 Umschlägen beendet."))
                        .arg(run.printed())
                        .arg(n),
                QString(),
                TMsgIcon::Information,
                TMsgButtons::Ok);
    }
}
