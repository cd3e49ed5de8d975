#pragma once

#include <QDoubleSpinBox>
#include <QLineEdit>

// The spin field: its value is the number its text shows (two decimals in the user's number format
// for decimal fields), values out of range go to the nearer bound when set and when the field loses
// the focus, and text that is no number reads as the minimum. valueChanged fires on every change,
// also by program.
class TRxSpinEdit : public QDoubleSpinBox
{
    Q_OBJECT
public:
    TRxSpinEdit(bool decimal,
                double minimum,
                double maximum,
                double step,
                double value,
                QWidget *parent = nullptr);

    bool isDecimal() const { return m_decimal; }
    // The value the current text stands for (minimum when it is no number), clamped.
    double textValue() const;
    // The text field itself (typing in tests; the walk leaves the number alone).
    QLineEdit *editor() const { return lineEdit(); }

    QValidator::State validate(QString &input, int &pos) const override;
    double valueFromText(const QString &text) const override;
    QString textFromValue(double value) const override;
    void fixup(QString &input) const override;

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_decimal;
};
