#include "app/LanguageCommands.h"

#include "app/Dialogs.h"
#include "app/MainUnit.h"
#include "app/RxSpinEdit.h"
#include "app/TranslateFUnit.h"
#include "core/AtomicFile.h"
#include "core/BinaryIO.h"
#include "core/EnvelopeDocument.h"
#include "core/PaperFormats.h"
#include "core/translateunit.h"

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>
#include <QVariant>

#include <memory>

namespace {

QString languageFileName(TMainForm *form, bool create)
{
    QString folder = form->GetProgramDir(create);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return folder + QStringLiteral("options0.dat");
}

// The three length fields follow the unit: inches in inch mode, millimetres otherwise. Each value
// goes through its field, which rounds, clamps and repaints. With keepSize (the language items) the
// document keeps each length's millimetres while its field shows what the switch put there, so
// switching the language there and back does not leave it rounded to hundredths of an inch.
void convertLengths(TMainForm *form, bool toMillimetres, bool keepSize)
{
    const EnvelopeValue kept = form->Document->envelope();
    const double documentMm[] = {kept.margin, kept.pictureMargin, kept.pictureWidth};
    TRxSpinEdit *const fields[] = {form->RandEd, form->BildRandEd, form->BildBreiteEd};
    double keptMm[3] = {};
    bool changed = false;
    for (int i = 0; i < 3; ++i) {
        TRxSpinEdit *field = fields[i];
        if (!field)
            continue;
        const double before = field->value();
        // The fields still show the unit being left (inches when going to millimetres).
        const bool unchanged = form->unitSwitchShown[i] == before;
        keptMm[i] = unchanged ? documentMm[i] : TEnvelopeDocument::Millimetres(before, toMillimetres);
        form->unitSwitchShown[i] = qQNaN();
        if (toMillimetres)
            field->setValue(keepSize && unchanged ? keptMm[i] : before * MmPerInch);
        else
            field->setValue(before / MmPerInch);
        if (keepSize && !toMillimetres)
            form->unitSwitchShown[i] = field->value();
        changed = changed || field->value() != before;
    }
    if (keepSize && !toMillimetres) {
        // The fields' change stored inches turned back into millimetres: the document keeps the
        // millimetres the fields had.
        EnvelopeValue e = form->Document->envelope();
        e.margin = keptMm[0];
        e.pictureMargin = keptMm[1];
        e.pictureWidth = keptMm[2];
        form->Document->setEnvelope(e);
    }
    // The unit changed even when no value did (all zero, or held at a bound): the sheet-size label
    // shows the unit, so the preview is drawn again.
    if (!changed)
        form->RandEdChange();
}

void showRestartNotice(QWidget *parent)
{
    Dialogs().messageBox(parent, MessageText(1), MessageText(2), TMsgIcon::Information, TMsgButtons::Ok);
}

// The radio item of a language column, or null for a column that has none.
QAction *languageItem(TMainForm *form, int column)
{
    QAction *const items[] = {form->Deutsch1, form->English1, form->Francais1, form->Nederlands1};
    return column >= 0 && column < int(std::size(items)) ? items[column] : nullptr;
}

// What every language item does: tick it, make its column the active one and ask for the restart
// in the new language. The windows keep their texts until then.
void chooseLanguage(TMainForm *form, int column)
{
    if (form->dontchlang)
        return;
    const bool wasInch = form->isInchMode();
    languageItem(form, column)->setChecked(true);
    form->language = column;
    // The lengths keep their physical size when the unit changes with the language.
    if (wasInch != form->isInchMode())
        convertLengths(form, wasInch, true);
    showRestartNotice(form);
}

std::unique_ptr<QTranslator> &installedQtTranslator()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

bool WriteLanguageOptions(const QString &fname, const TLanguageOptions &options)
{
    const QByteArray bytes = SerializeLanguageOptions(options);
    return WriteFileAtomically(
            fname, TFileDurability::Synced, [&bytes](QIODevice &out) { WriteBytes(out, bytes); });
}

bool InstallQtTranslation(int language)
{
    auto &translator = installedQtTranslator();
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    static const char *const codes[] = {"de", "en", "fr", "nl"};
    if (language < 0 || language >= int(std::size(codes)))
        return false;
    auto t = std::make_unique<QTranslator>();
    if (!t->load(QStringLiteral("qtbase_") + QLatin1String(codes[language]),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    if (!QCoreApplication::installTranslator(t.get()))
        return false;
    translator = std::move(t);
    return true;
}

void TMainForm::LoadOptionsLang()
{
    languagesetto = 0;
    language = 0;
    dontchlang = true;
    Deutsch1->setChecked(true);
    dontchlang = false;

    // Read only: a write-protected settings file still holds the user's choice.
    QFile file(languageFileName(this, false));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const TLanguageOptions options = ParseLanguageOptions(file.read(LanguageFileSize));
    file.close();

    languagesetto = options.language;
    dontchlang = true;
    // A column without an item of its own (a table filled further by hand) leaves "Deutsch" ticked.
    QAction *item = languageItem(this, languagesetto);
    (item ? item : Deutsch1)->setChecked(true);
    dontchlang = false;
    Zollstattmm1->setChecked(options.millimetres);
}

void TMainForm::SaveOptionsLang()
{
    TLanguageOptions options;
    options.language = language;
    options.millimetres = Zollstattmm1->isChecked();
    // A file that cannot be created is skipped without a word, as options.dat is; a write that fails
    // on the way raises, so the program stays open at exit.
    WriteLanguageOptions(languageFileName(this, true), options);
}

void TMainForm::Deutsch1Click()
{
    chooseLanguage(this, 0);
}

void TMainForm::English1Click()
{
    chooseLanguage(this, 1);
}

void TMainForm::Francais1Click()
{
    chooseLanguage(this, 2);
}

void TMainForm::Nederlands1Click()
{
    chooseLanguage(this, 3);
}

void TMainForm::Zollstattmm1Click()
{
    // The item has ticked or unticked itself already; outside English only the tick is kept.
    if (language != 1)
        return;
    convertLengths(this, Zollstattmm1->isChecked(), false);
}

void TMainForm::bersetzen1Click()
{
    TranslateForm->FillStringGrid();
    Dialogs().execModal(TranslateForm);
    showRestartNotice(this);
}
