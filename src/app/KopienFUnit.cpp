#include "app/KopienFUnit.h"

#include "app/BitBtnXP.h"
#include "app/Components.h"
#include "app/FormStorage.h"
#include "app/MainUnit.h"
#include "app/RunBox.h"
#include "app/RxSpinEdit.h"
#include "core/translateunit.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSettings>
#include <QStyle>
#include <QVBoxLayout>

TKopienForm::TKopienForm(QWidget *parent)
    : QDialog(parent)
{
    KopienForm = this;
    setObjectName(QStringLiteral("KopienForm"));
    setWindowTitle(QStringLiteral("Anzahl der Kopien wählen"));

    Label1 = own(new QLabel(QStringLiteral("Anzahl der Kopien zum Drucken:"), this),
                 QStringLiteral("Label1"));
    CopiesEd = own(new TRxSpinEdit(false, 1, 10000, 1, 1, this), QStringLiteral("CopiesEd"));
    CopiesEd->setAlignment(Qt::AlignRight);
    CopiesEd->setMinimumWidth(121);
    CopiesEd->setMaximumWidth(121);
    // Not one of the walked components: its text is looked up when the window shows, as the run box's.
    OneJobCheck = new QCheckBox(this);
    OneJobCheck->setObjectName(QStringLiteral("OneJobCheck"));
    if (const std::unique_ptr<QSettings> store = TFormStorage::openStore())
        OneJobCheck->setChecked(
                store->value(TRunBox::storeGroup() + QLatin1Char('/') + oneJobKey(), false).toBool());
    connect(OneJobCheck, &QCheckBox::toggled, this, [](bool on) {
        if (const std::unique_ptr<QSettings> store = TFormStorage::openStore())
            store->setValue(TRunBox::storeGroup() + QLatin1Char('/') + oneJobKey(), on);
    });
    Bevel1 = own(new QFrame(this), QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    BitBtn1 = own(new TBitBtnXP(QStringLiteral("OK"), style()->standardIcon(QStyle::SP_DialogOkButton), this),
                  QStringLiteral("BitBtn1"));
    BitBtn1->modalResult = QDialog::Accepted;
    BitBtn1->setMinimumSize(75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    // Label and field at the top left, the button centred in a 50 px strip under the bevel line.
    auto *top = new QVBoxLayout;
    top->setContentsMargins(8, 8, 8, 0);
    top->setSpacing(2);
    top->addWidget(Label1);
    top->addWidget(CopiesEd, 0, Qt::AlignLeft);
    top->addSpacing(8);
    top->addWidget(OneJobCheck, 0, Qt::AlignLeft);
    top->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addStretch(1);
    auto *strip = new QWidget(this);
    strip->setFixedHeight(50 - 2);
    strip->setLayout(buttons);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addLayout(top, 1);
    root->addWidget(Bevel1);
    root->addWidget(strip);

    resize(418, 280);
}

QString TKopienForm::oneJobKey()
{
    return QStringLiteral("CopiesAsOneJob");
}

void TKopienForm::FormShow()
{
    // Its first letter is the mnemonic.
    const QString oneJob = TranslateText(QStringLiteral("Als ein Druckauftrag"));
    OneJobCheck->setAccessibleName(oneJob);
    QString caption = oneJob;
    for (qsizetype i = 0; i < caption.size(); ++i)
        if (caption[i].isLetterOrNumber()) {
            caption.insert(i, QLatin1Char('&'));
            break;
        }
    OneJobCheck->setText(caption);
    // Typing a number needs no click first. Should the field refuse the focus, the dialog shows anyway.
    if (CopiesEd->isEnabled()) {
        CopiesEd->setFocus(Qt::OtherFocusReason);
        CopiesEd->selectAll();
    }
}

void TKopienForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}
