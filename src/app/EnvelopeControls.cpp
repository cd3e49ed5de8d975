#include "app/EnvelopeControls.h"

#include "app/MainUnit.h"

#include "app/FilenameEdit.h"
#include "app/Memo.h"
#include "app/RxSpinEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

SpinReading readSpin(const TRxSpinEdit *field)
{
    return SpinReading{field->textValue(), field->value()};
}

} // namespace

EnvelopeControls TMainForm::envelopeControls() const
{
    EnvelopeControls c;
    c.recipient = Memo1->text();
    c.sender = Memo2->text();
    c.pictureFile = FilenameEdit1->text();
    c.infoLine = InfoEd->text();
    c.recipientFont = FontDialog1->Font;
    c.senderFont = FontDialog2->Font;
    c.margin = readSpin(RandEd);
    c.pictureMargin = readSpin(BildRandEd);
    c.pictureWidth = readSpin(BildBreiteEd);
    c.recipientAcross = readSpin(EmpfProEd);
    c.recipientDown = readSpin(EmpfPro2Ed);
    c.inchMode = isInchMode();
    c.paperFormat = ComboBox1->currentIndex();
    c.picturePosition = ComboBox2->currentIndex();
    c.portrait = HochformatCheck->isChecked();
    c.keepListOpen = Adresslisteimmeroffenhalten1->isChecked();
    return c;
}
