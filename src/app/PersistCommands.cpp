// The envelope settings file and the last state, as operations of the main window: the document is
// written whole and read into; the file format lives in SettingsFile.
#include "core/AtomicFile.h"
#include "core/BinaryIO.h"
#include "core/DamagedCopy.h"
#include "core/FastStateWrites.h"
#include "core/ProgramDir.h"
#include "core/SettingsFile.h"

#include "app/ChooseAddressFUnit.h"
#include "app/Dialogs.h"
#include "app/FilenameEdit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/RxSpinEdit.h"
#include "core/EnvelopeDocument.h"
#include "core/Errors.h"
#include "core/PaperFormats.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalBlocker>

#include <cmath>

namespace {

// false when the file cannot be created (whyNot says why).
bool writeOptionsFile(TMainForm &f, const QString &fname, TFileDurability durability, QString *whyNot)
{
    f.storeInDocument();
    const TEnvelopeSettings &s = f.Document->contents();
    return WriteFileAtomically(
            fname, durability, [&s](QIODevice &out) { WriteSettingsFile(out, s); }, whyNot);
}

} // namespace

void TMainForm::SaveOptionsFile(const QString &fname)
{
    // A file that cannot be created is skipped silently; a write that fails on the way raises.
    writeOptionsFile(*this, fname, TFileDurability::Synced, nullptr);
}

void TMainForm::LoadOptionsFile(const QString &fname)
{
    TSettingsReadResult r;
    {
        QFile file(fname);
        // Read access is all a read needs, so read-only documents open too.
        if (!file.open(QIODevice::ReadOnly))
            return;
        r = ReadSettingsFile(file);
    }
    Document->apply(r);
    showDocument(r);
    if (!r.error) {
        Memo1->selectAll();
    }
    // Also after a file cut later than the paper format: the printer and the preview follow the
    // format the list now shows. A file cut before it changed no list, and applying the format
    // would discard the printer's set-up for nothing.
    if (!r.error || r.has(FieldPaperFormat))
        Papierformat(ComboBox1->currentIndex());
    if (r.error)
        throw EInOutError(*r.error);
}

void TMainForm::Speichernunter1Click()
{
    const std::optional<QString> name
            = Dialogs().saveFile(this, SaveDialog1->Filter, SaveDialog1->DefaultExt, SaveDialog1->FileName);
    if (!name || name->isEmpty())
        return;
    SaveDialog1->FileName = *name;
    QString whyNot;
    // A document that cannot be created must not look saved.
    if (!writeOptionsFile(*this, *name, TFileDurability::Synced, &whyNot))
        throw EInOutError(CannotCreateMessage(QDir::toNativeSeparators(*name), whyNot));
}

void TMainForm::ffnen1Click()
{
    const std::optional<QString> name
            = Dialogs().openFile(this, OpenDialog1->Filter, OpenDialog1->DefaultExt, OpenDialog1->FileName);
    if (!name || name->isEmpty())
        return;
    OpenDialog1->FileName = *name;
    LoadOptionsFile(*name);
}

void TMainForm::SaveOptions()
{
    // Synced, except once per record inside a CSV load, where a sync each time would cost far more
    // than the write and the load's end syncs. A failed write or a killed program still keeps a whole
    // file; a silent failure to create it is as with SaveOptionsFile.
    const TFileDurability durability = LastStateDurability();
    if (durability != TFileDurability::Synced)
        NoteFastStateWrite();
    writeOptionsFile(*this, GetProgramDir(true) + QStringLiteral("options.dat"), durability, nullptr);
}

void TMainForm::LoadOptions()
{
    if (isInchMode()) {
        // The fields still hold the millimetre defaults here; the step stays as it is.
        RandEd->setValue(RandEd->value() / MmPerInch);
        BildRandEd->setValue(BildRandEd->value() / MmPerInch);
        BildBreiteEd->setValue(BildBreiteEd->value() / MmPerInch);
    }
    const QString fname = GetProgramDir(false) + QStringLiteral("options.dat");
    try {
        LoadOptionsFile(fname);
    } catch (const EInOutError &e) {
        // The next write of the last state replaces the damaged file: what it held is kept aside first.
        throw EInOutError(DamagedFileReport(fname, e.message(), KeepDamagedCopy(fname)));
    }
}

QString TMainForm::GetProgramDir(bool create)
{
    const QString dataLocation = UserDataLocation();
    const QString path = SettingsFolderFrom(dataLocation, progpath);
    // Without a data folder the program folder is used as it is; nothing is created there.
    if (create && !dataLocation.isEmpty())
        CreateFolderPath(path);
    return path;
}
