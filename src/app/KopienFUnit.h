#pragma once

#include "app/Components.h"

#include <QDialog>

class QLabel;
class QFrame;
class QShowEvent;
class TBitBtnXP;
class TRxSpinEdit;

// The copy-count dialog: one instance for the whole run, so the count chosen last is shown again.
// OK accepts; the window's close box (or Escape) rejects.
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

protected:
    void showEvent(QShowEvent *event) override;
};
