#include "app/PaintBox.h"

#include "app/MainUnit.h"

TPaintBox::TPaintBox(QWidget *parent)
    : QWidget(parent)
{
    resize(105, 105);
}

void TPaintBox::paintEvent(QPaintEvent *event)
{
    if (MainForm)
        MainForm->PaintBox1Paint(event);
}

void TPaintBox::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (MainForm)
        MainForm->PaintBox1MouseDown();
}
