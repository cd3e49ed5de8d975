#include "BitBtnXP.h"

TBitBtnXP::TBitBtnXP(const QString &caption, const QIcon &icon, QWidget *parent)
    : QPushButton(icon, caption, parent)
{
    setAutoDefault(false);
}
