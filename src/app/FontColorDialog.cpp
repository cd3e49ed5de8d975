#include "app/FontColorDialog.h"

#include "app/DialogButtons.h"
#include "core/translateunit.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

FontColorDialog::FontColorDialog(const TFontRec &font, QWidget *parent)
    : QDialog(parent)
    , m_font(font)
    , m_color(font.toQColor())
    , m_fontChoice(new QFontDialog(this))
    , m_colorButton(new QPushButton(TranslateText(QStringLiteral("Farbe...")), this))
{
    setObjectName(QStringLiteral("FontColorDialog"));
    setWindowTitle(TranslateText(QStringLiteral("Schriftart")));

    // The toolkit's dialog as a plain widget of this one: its own buttons give way to ours.
    m_fontChoice->setWindowFlags(Qt::Widget);
    m_fontChoice->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fontChoice->setSizeGripEnabled(false);
    // A family this system lacks (the default Arial, often) is drawn with a substitute; the list
    // shows that one chosen, not whichever family happens to come first.
    QFont shown = font.toQFont();
    m_shownFamily = QFontInfo(shown).family();
    shown.setFamily(m_shownFamily);
    m_fontChoice->setCurrentFont(shown);
    // Escape or Enter inside it end it as a dialog of its own; they end this one instead.
    connect(m_fontChoice, &QDialog::finished, this, &QDialog::done);

    m_colorButton->setObjectName(QStringLiteral("FontColorButton"));
    connect(m_colorButton, &QPushButton::clicked, this, &FontColorDialog::chooseColor);

    QDialogButtonBox *buttons = OkCancelButtons(this);

    auto *row = new QHBoxLayout;
    row->addWidget(m_colorButton);
    row->addStretch(1);
    row->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fontChoice, 1);
    layout->addLayout(row);
    showColor();
}

TFontRec FontColorDialog::font() const
{
    TFontRec result = m_font;
    const QFont chosen = m_fontChoice->currentFont();
    result.assignFrom(chosen);
    // The substitute left as shown keeps the record's own family, so a document made elsewhere
    // still asks for the font it named.
    if (chosen.family() == m_shownFamily)
        result.name = m_font.name;
    if (m_colorChosen)
        result.color = TFontRec::colorValue(m_color);
    return result;
}

void FontColorDialog::setColor(const QColor &c)
{
    if (!c.isValid())
        return;
    m_color = c.toRgb();
    m_colorChosen = true;
    showColor();
}

void FontColorDialog::chooseColor()
{
    const QColor chosen = QColorDialog::getColor(m_color, this, TranslateText(QStringLiteral("Textfarbe")));
    // The colour dialog's Cancel gives an invalid colour and keeps the one there was.
    setColor(chosen);
}

void FontColorDialog::showColor()
{
    const int side = qMax(12, m_colorButton->fontMetrics().height() - 2);
    QPixmap swatch(side, side);
    swatch.fill(m_color);
    {
        QPainter p(&swatch);
        p.setPen(Qt::gray);
        p.drawRect(0, 0, side - 1, side - 1);
    }
    m_colorButton->setIcon(QIcon(swatch));
    m_colorButton->setIconSize(swatch.size());
}
