#pragma once

#include "app/Components.h"

#include <QDialog>

class QFrame;
class QLabel;
class TBitBtnXP;

// Puts the year into a year line: the first "XXXX" is replaced by it; a text without the
// placeholder gets the year in front.
QString ApplyYearLine(const QString &text, int year);
// Whether the information dialog may hand this address to the shell (http and https only).
bool IsOpenableWebAddress(const QString &address);

// The information dialog.
class TAboutBox : public QDialog, public TComponentList
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QFrame *Panel1 = nullptr;
    QLabel *ProgramIcon = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Copyright = nullptr;
    QLabel *Comments = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    TBitBtnXP *BitBtnXP1 = nullptr; // web address
    TBitBtnXP *OKButton = nullptr;

    void FormCreate();
    void BitBtnXP1Click();
};

// The product picture: the program's envelope icon, centred and as large as it fits.
QPixmap EnvelopePicture(const QSize &size, qreal devicePixelRatio = 1.0);
