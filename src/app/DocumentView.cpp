// The main window as a view of its document: the controls are written into the document, and a
// document read from a file is shown in the controls.
#include "app/MainUnit.h"

#include "app/ChooseAddressFUnit.h"
#include "app/FilenameEdit.h"
#include "app/Memo.h"
#include "app/RxSpinEdit.h"
#include "core/EnvelopeDocument.h"
#include "core/PaperFormats.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include <cmath>

namespace {

void setLength(TRxSpinEdit *field, double mm, bool inchMode)
{
    if (inchMode) {
        field->setSingleStep(0.1);
        mm = mm / MmPerInch;
    }
    // A damaged file may hold a NaN; like text that is no number it reads as the minimum.
    field->setValue(std::isnan(mm) ? field->minimum() : mm);
}

void setPercentage(TRxSpinEdit *field, double value)
{
    field->setValue(std::isnan(value) ? field->minimum() : value);
}

// Setting a list's entry by program fires no change event; an index outside the list selects nothing.
void setListIndex(QComboBox *box, qint32 index)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace

void TMainForm::storeInDocument()
{
    if (!Document)
        return;
    const bool inch = isInchMode();
    EnvelopeValue e = Document->envelope();
    e.recipient = Memo1->text();
    e.sender = Memo2->text();
    e.pictureFile = FilenameEdit1->text();
    e.infoLine = InfoEd->text();
    e.recipientFont = FontDialog1->Font;
    e.senderFont = FontDialog2->Font;
    double *const lengths[] = {&e.margin, &e.pictureMargin, &e.pictureWidth};
    const TRxSpinEdit *const fields[] = {RandEd, BildRandEd, BildBreiteEd};
    for (int i = 0; i < 3; ++i) {
        if (unitSwitchShown[i] == fields[i]->value())
            continue;
        unitSwitchShown[i] = qQNaN();
        *lengths[i] = TEnvelopeDocument::Millimetres(fields[i]->value(), inch);
    }
    e.recipientAcross = EmpfProEd->value();
    e.recipientDown = EmpfPro2Ed->value();
    e.paperFormat = ComboBox1->currentIndex();
    e.picturePosition = ComboBox2->currentIndex();
    e.portrait = HochformatCheck->isChecked();
    Document->setEnvelope(e);
    Document->setKeepListOpen(Adresslisteimmeroffenhalten1->isChecked());
}

EnvelopeValue TMainForm::envelope()
{
    storeInDocument();
    EnvelopeValue e = Document->envelope();
    const bool inch = isInchMode();
    e.margin = TEnvelopeDocument::Millimetres(RandEd->textValue(), inch);
    e.pictureMargin = TEnvelopeDocument::Millimetres(BildRandEd->textValue(), inch);
    e.pictureWidth = TEnvelopeDocument::Millimetres(BildBreiteEd->textValue(), inch);
    e.recipientAcross = EmpfProEd->textValue();
    e.recipientDown = EmpfPro2Ed->textValue();
    return e;
}

void TMainForm::showDocument(const TSettingsReadResult &r)
{
    // A copy: each control set below writes the controls back into the document.
    const TEnvelopeSettings v = Document->contents();
    const bool inch = isInchMode();
    for (double &shown : unitSwitchShown)
        shown = qQNaN();
    if (r.has(FieldRecipient))
        Memo1->setText(v.recipient);
    if (r.has(FieldSender))
        Memo2->setText(v.sender);
    if (r.has(FieldPictureFile))
        FilenameEdit1->setText(v.pictureFile);
    if (r.has(FieldMargin))
        setLength(RandEd, v.margin, inch);
    if (r.has(FieldPictureMargin))
        setLength(BildRandEd, v.pictureMargin, inch);
    if (r.has(FieldPictureWidth))
        setLength(BildBreiteEd, v.pictureWidth, inch);
    if (r.has(FieldPaperFormat))
        setListIndex(ComboBox1, v.paperFormat);
    if (r.has(FieldPicturePosition))
        setListIndex(ComboBox2, v.picturePosition);
    if (r.has(FieldRecipientFont))
        FontDialog1->Font = v.recipientFont;
    if (r.has(FieldSenderFont))
        FontDialog2->Font = v.senderFont;
    if (r.has(FieldInfoLine))
        InfoEd->setText(v.infoLine);
    if (r.has(FieldRecipientAcross))
        setPercentage(EmpfProEd, v.recipientAcross);
    if (r.has(FieldRecipientDown))
        setPercentage(EmpfPro2Ed, v.recipientDown);
    if (r.has(FieldKeepListOpen)) {
        Adresslisteimmeroffenhalten1->setChecked(v.keepListOpen);
        if (v.keepListOpen && ChooseAddressForm)
            ChooseAddressForm->showNonModal();
    }
    if (r.has(FieldPortrait) && HochformatCheck->isChecked() != v.portrait) {
        // Changing the tick runs its click handler (connected to toggled), as a user's click would.
        HochformatCheck->setChecked(v.portrait);
    }
    // The controls round and clamp what they were given: the document holds what they show.
    storeInDocument();
}
