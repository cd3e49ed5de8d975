#pragma once

#include "core/FontRec.h"

#include <QColor>
#include <QDialog>

class QFontDialog;
class QPushButton;

// The font dialog behind TDialogs::chooseFont: the toolkit's font choice, embedded, with a colour
// button beside it, since a font here carries its colour and the toolkit's dialog offers none.
class FontColorDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FontColorDialog(const TFontRec &font, QWidget *parent = nullptr);

    // The record given, with the face, size and style now chosen, and the colour when one was chosen
    // (as an RGB value); untouched, the colour stays as it was, a system colour included.
    TFontRec font() const;
    // Takes c as the chosen colour, as the colour dialog's OK does.
    void setColor(const QColor &c);
    QColor color() const { return m_color; }

    QFontDialog *fontChoice() const { return m_fontChoice; }
    QPushButton *colorButton() const { return m_colorButton; }

private:
    void chooseColor();
    void showColor();

    TFontRec m_font;
    // The family the record's font is drawn with here, as the list shows it.
    QString m_shownFamily;
    QColor m_color;
    bool m_colorChosen = false;
    QFontDialog *m_fontChoice;
    QPushButton *m_colorButton;
};
