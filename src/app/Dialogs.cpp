#include "app/Dialogs.h"

#include "core/velmora.h"

#include "app/Components.h"
#include "app/FontColorDialog.h"
#include "print/Printer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace {

std::optional<QString> runFileDialog(QWidget *parent,
                                     QFileDialog::AcceptMode mode,
                                     const QString &filter,
                                     const QString &defaultExt,
                                     const QString &startPath)
{
    QFileDialog dlg(parent, QString(), startPath, QtFilterFromPipeFilter(filter));
    dlg.setAcceptMode(mode);
    dlg.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Replacing an existing document asks nothing.
    if (mode == QFileDialog::AcceptSave)
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (defaultExt.size() > 1)
        dlg.setDefaultSuffix(defaultExt.mid(1));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().first();
}

// The Qt implementation: native dialogs where the platform has them.
class QtDialogs : public TDialogs
{
public:
    TMsgResult messageBox(QWidget *parent,
                          const QString &text,
                          const QString &caption,
                          TMsgIcon icon,
                          TMsgButtons buttons) override
    {
        QMessageBox box(parent);
        box.setText(text);
        // Without a caption of its own a box carries the application's title.
        QString title = caption;
        if (title.isEmpty())
            title = Application ? Application->Title : QApplication::applicationDisplayName();
        box.setWindowTitle(title);
        switch (icon) {
        case TMsgIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case TMsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case TMsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case TMsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case TMsgIcon::None:
            break;
        }
        switch (buttons) {
        case TMsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case TMsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case TMsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case TMsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Ok:
            return TMsgResult::Ok;
        case QMessageBox::Yes:
            return TMsgResult::Yes;
        case QMessageBox::No:
            return TMsgResult::No;
        default:
            return TMsgResult::Cancel;
        }
    }

    std::optional<QString> openFile(QWidget *parent,
                                    const QString &filter,
                                    const QString &defaultExt,
                                    const QString &startPath) override
    {
        return runFileDialog(parent, QFileDialog::AcceptOpen, filter, defaultExt, startPath);
    }

    std::optional<QString> saveFile(QWidget *parent,
                                    const QString &filter,
                                    const QString &defaultExt,
                                    const QString &startPath) override
    {
        if (auto chosen = runFileDialog(parent, QFileDialog::AcceptSave, filter, defaultExt, startPath))
            return WithDefaultExtension(*chosen, defaultExt);
        return std::nullopt;
    }

    bool chooseFont(QWidget *parent, TFontRec &font) override
    {
        FontColorDialog dlg(font, parent);
        if (dlg.exec() != QDialog::Accepted)
            return false;
        font = dlg.font();
        return true;
    }

    bool printerSetup(QWidget *parent, TPrinter &printer) override
    {
        QPrintDialog dlg(&printer.qprinter(), parent);
        dlg.setOption(QAbstractPrintDialog::PrintToFile, false);
        dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dlg.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
        const bool ok = dlg.exec() == QDialog::Accepted;
        if (ok)
            printer.syncSettingsFromPrinter();
        return ok;
    }

    int execModal(QDialog *dialog) override { return dialog->exec(); }

    bool openUrl(const QUrl &url) override { return QDesktopServices::openUrl(url); }

    TRunAnswer confirmRun(QWidget *parent, const TRunQuestion &question) override
    {
        TRunBox box(question, parent);
        box.exec();
        return box.answer();
    }
};

std::unique_ptr<TDialogs> &current()
{
    static std::unique_ptr<TDialogs> dialogs;
    return dialogs;
}

// The record array lives in the core layer, below every window: its out-of-memory message comes
// up through this seam as soon as the seam exists.
void reportNoMemoryHere(const QString &text)
{
    Dialogs().messageBox(nullptr, text, QString(), TMsgIcon::Error, TMsgButtons::Ok);
}

[[maybe_unused]] const bool noMemoryReportInstalled = (SetNoMemoryReport(&reportNoMemoryHere), true);

} // namespace

TDialogs &Dialogs()
{
    auto &d = current();
    if (!d)
        d = std::make_unique<QtDialogs>();
    return *d;
}

std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs)
{
    SetNoMemoryReport(&reportNoMemoryHere);
    auto previous = std::move(current());
    current() = std::move(dialogs);
    return previous;
}

QString QtFilterFromPipeFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        // The description often repeats the patterns in brackets; Qt takes the last bracket as the patterns.
        out << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    if (parts.size() % 2 == 1 && !parts.last().isEmpty() && out.isEmpty())
        out << parts.last();
    return out.join(QStringLiteral(";;"));
}

QString WithDefaultExtension(const QString &fileName, const QString &defaultExt)
{
    if (fileName.isEmpty() || defaultExt.isEmpty())
        return fileName;
    if (!QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    const QString ext = defaultExt.startsWith(QLatin1Char('.')) ? defaultExt : QLatin1Char('.') + defaultExt;
    return fileName.endsWith(QLatin1Char('.')) ? fileName + ext.mid(1) : fileName + ext;
}

void ShowErrorReport(const QString &text)
{
    // The report carries the application's title, translated at the first showing.
    const QString caption = Application ? Application->Title : QString();
    Dialogs().messageBox(QApplication::activeWindow(), text, caption, TMsgIcon::Error, TMsgButtons::Ok);
}
