#include "app/DialogButtons.h"

#include "app/ThemedIcon.h"
#include "core/translateunit.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QDialogButtonBox *OkCancelButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(TranslateText(QStringLiteral("OK")));
    ok->setIcon(ThemedIcon("dialog-ok", QStyle::SP_DialogOkButton));
    QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setText(TranslateText(QStringLiteral("Abbrechen")));
    cancel->setIcon(ThemedIcon("dialog-cancel", QStyle::SP_DialogCancelButton));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
