#pragma once

// The text an .xlsx cell shows for a number: its number format applied (the format code of
// styles.xml, or a built-in format by id), as the spreadsheet program shows it in the given
// locale (decimal and thousands separators, month names, the short date of built-in format 14).
// Handled: General; digit placeholders 0 # ? with literals between them (00000, 000-0000);
// decimals; thousands separator and scaling commas; percent; scientific (0.00E+00); literal text
// ("...", \x, currency [$€-407], _x as a space, *x dropped, colours and conditions ignored);
// sections positive;negative;zero;text; dates and times from serial numbers (1900 system with its
// leap-year quirk, or 1904), y m d h s, AM/PM, elapsed [h] [m] [s], fractions of seconds.
// Fractions (# ?/?) show as General.

#include <QLocale>
#include <QString>

#include <vector>

namespace sources {

// The format code of a built-in number format id ("General" for ids that have none).
QString BuiltinNumberFormat(int id, const QLocale &locale);

// A format code read once, for the many cells that share it.
class NumberFormatter
{
public:
    NumberFormatter(const QString &formatCode, const QLocale &locale, bool date1904 = false);
    ~NumberFormatter();
    NumberFormatter(const NumberFormatter &) = delete;
    NumberFormatter &operator=(const NumberFormatter &) = delete;
    QString format(double value) const;

private:
    struct Section;
    std::vector<Section> m_sections;
    QLocale m_locale;
    bool m_date1904;
};

// value shown by format code in locale; date1904: the workbook counts days from 1904.
QString FormatNumber(double value, const QString &formatCode, const QLocale &locale, bool date1904 = false);

// The General format alone.
QString FormatGeneral(double value, const QLocale &locale);

} // namespace sources
