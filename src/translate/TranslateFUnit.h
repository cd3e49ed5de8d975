#pragma once

#include "shell/Components.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QStatusBar;
class QTableWidget;
class TBitBtnXP;

// The translation editor.
class TTranslateForm : public QDialog, public TComponentList
{
    Q_OBJECT
public:
    explicit TTranslateForm(QWidget *parent = nullptr);

    QWidget *Panel1 = nullptr;
    TBitBtnXP *BackBtn = nullptr;
    QWidget *Panel2 = nullptr;
    QLineEdit *FilterEdit = nullptr;
    TBitBtnXP *FilterBtn = nullptr;
    TBitBtnXP *DeleteRowBtn = nullptr;
    QCheckBox *FixedColCheck = nullptr;
    QTableWidget *StringGrid1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;

    void FillStringGrid();
    void BackBtnClick();
    void FilterBtnClick();
    void DeleteRowBtnClick();
    void FixedColCheckClick();
    void StringGrid1SetEditText(int ACol, int ARow, const QString &Value);
};
