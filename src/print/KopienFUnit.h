#pragma once

#include "shell/Components.h"

#include <QDialog>

class QLabel;
class QFrame;
class TBitBtnXP;
class TRxSpinEdit;

// The copy-count dialog.
class TKopienForm : public QDialog, public TComponentList
{
    Q_OBJECT
public:
    explicit TKopienForm(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    TRxSpinEdit *CopiesEd = nullptr;
    QFrame *Bevel1 = nullptr;
    TBitBtnXP *BitBtn1 = nullptr;

    void FormShow();
};
