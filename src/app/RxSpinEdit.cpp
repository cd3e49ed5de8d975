#include "app/RxSpinEdit.h"

#include <QLineEdit>
#include <QLocale>

#include <cmath>

TRxSpinEdit::TRxSpinEdit(
        bool decimal, double minimum, double maximum, double step, double value, QWidget *parent)
    : QDoubleSpinBox(parent)
    , m_decimal(decimal)
{
    setDecimals(decimal ? 2 : 0);
    setRange(minimum, maximum);
    setSingleStep(step);
    setAlignment(Qt::AlignRight);
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setValue(value);
}

double TRxSpinEdit::textValue() const
{
    return valueFromText(cleanText());
}

QValidator::State TRxSpinEdit::validate(QString &, int &) const
{
    // Any text may be typed; what is no number reads as the minimum.
    return QValidator::Acceptable;
}

double TRxSpinEdit::valueFromText(const QString &text) const
{
    const QString t = text.trimmed();
    bool ok = false;
    double v;
    if (!m_decimal) {
        // An integer field takes whole numbers only; "2.5" is no number for it.
        v = double(locale().toLongLong(t, &ok));
        if (!ok)
            v = double(QLocale::c().toLongLong(t, &ok));
        if (!ok || !std::isfinite(v))
            return minimum();
        return qBound(minimum(), v, maximum());
    }
    v = locale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return minimum();
    return qBound(minimum(), v, maximum());
}

QString TRxSpinEdit::textFromValue(double value) const
{
    QLocale loc = locale();
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(value, 'f', m_decimal ? 2 : 0);
}

void TRxSpinEdit::fixup(QString &input) const
{
    input = textFromValue(valueFromText(input));
}

void TRxSpinEdit::focusOutEvent(QFocusEvent *event)
{
    // Leaving the field brings what was typed into range and shows it in the field's format.
    const double v = textValue();
    QDoubleSpinBox::focusOutEvent(event);
    setValue(v);
    lineEdit()->setText(textFromValue(value()));
}
