#include "CsvReader.h"

#include "controls/Memo.h"
#include "persist/FastStateWrites.h"
#include "shell/Dialogs.h"
#include "shell/MainUnit.h"
#include "translate/translateunit.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>

#include <optional>

namespace {

enum class CsvRun { Print, List };

void fillRecipient(TMainForm &form, const QStringList &fields)
{
    form.Memo1->setText(CsvRecipientText(fields));
}

// The menu item's caption as a heading: without its mnemonic and its closing dots.
QString runHeading(const QAction *item)
{
    QString t = item->text();
    t.remove(QLatin1Char('&'));
    while (t.endsWith(QLatin1Char('.')))
        t.chop(1);
    return t.trimmed();
}

void runCsvFile(TMainForm &form, CsvRun run)
{
    const std::optional<QString> name = Dialogs().openFile(
            &form, form.OpenDialog2->Filter, form.OpenDialog2->DefaultExt, form.OpenDialog2->FileName);
    if (!name)
        return;
    form.OpenDialog2->FileName = *name;

    // Closed on every way out, a printer error included.
    QFile file(*name);
    if (!file.open(QIODevice::ReadOnly)) {
        Dialogs().messageBox(&form, MessageText(8), QString(), TMsgIcon::Error, TMsgButtons::Ok);
        return;
    }
    // Printing asks once before the first envelope; loading into the list only appends, so it does not ask.
    if (run == CsvRun::Print
        && Dialogs().messageBox(
                   &form, MessageText(6), MessageText(7), TMsgIcon::Information, TMsgButtons::OkCancel)
                   != TMsgResult::Ok)
        return;

    CsvLineReader reader(file);
    const QString heading
            = runHeading(run == CsvRun::Print ? form.CSVImportieren1 : form.CSVDateiinAdresslisteladen1);
    // Appears only when the run takes longer than a second; cancelling stops before the next line.
    QProgressDialog progress(heading, TranslateText(QStringLiteral("Abbrechen")), 0, 1000, &form);
    progress.setWindowTitle(run == CsvRun::Print ? MessageText(7) : heading);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(1000);
    progress.setValue(0);
    const qint64 total = qMax<qint64>(1, reader.bytesTotal());
    QElapsedTimer sinceUpdate;
    sinceUpdate.start();

    // Each record's write of the last state is fast; the run's end writes it once more, synced.
    std::optional<FastStateWrites> stateWrites;
    if (run == CsvRun::List)
        stateWrites.emplace(form);
    int records = 0;
    QString line;
    while (!progress.wasCanceled() && reader.readLine(line)) {
        const QStringList fields = SplitCsvLine(line);
        // A line without a field would only repeat the previous address.
        if (fields.isEmpty())
            continue;
        fillRecipient(form, fields);
        if (run == CsvRun::Print)
            form.Drucken1Click();
        else
            form.SaveInListBtnClick();
        ++records;
        // Each update repaints the dialog and whatever else changed: a few a second are enough.
        if (sinceUpdate.elapsed() >= 250) {
            sinceUpdate.restart();
            progress.setLabelText(heading + QStringLiteral("\n") + QString::number(records));
            progress.setValue(int(reader.bytesRead() * 1000 / total));
        }
    }
    if (stateWrites)
        stateWrites->finish();
}

} // namespace

void TMainForm::FillRecipientFromCsvLine(const QString &line)
{
    const QStringList fields = SplitCsvLine(line);
    if (!fields.isEmpty())
        fillRecipient(*this, fields);
}

void TMainForm::CSVImportieren1Click()
{
    runCsvFile(*this, CsvRun::Print);
}

void TMainForm::CSVDateiinAdresslisteladen1Click()
{
    runCsvFile(*this, CsvRun::List);
}
