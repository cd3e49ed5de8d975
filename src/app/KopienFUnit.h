#pragma once

#include "app/Components.h"

#include <QDialog>

class QCheckBox;
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
    // All copies as one print job instead of a job per copy; its last state is kept per user.
    QCheckBox *OneJobCheck = nullptr;
    QFrame *Bevel1 = nullptr;
    TBitBtnXP *BitBtn1 = nullptr;

    void FormShow();

    // The per-user store's key of OneJobCheck (in the run box's group).
    static QString oneJobKey();

protected:
    void showEvent(QShowEvent *event) override;
};
