#include "NumberFormat.h"

#include <QDateTime>

#include <cmath>
#include <vector>

namespace sources {

namespace {

enum class T {
    Literal,
    Zero,  // 0
    Hash,  // #
    Quest, // ?
    Point,
    Comma,
    Percent,
    Exponent, // text: "+" or "-"
    Year,
    Month, // or minute, decided after tokenising
    Minute,
    Day,
    Hour,
    Second,
    SecondFraction, // text: digits count as size
    Elapsed,        // text: h, m or s
    AmPm,
    AP,
    General,
    At,
};

struct Tok
{
    T type;
    QString text;
    int len = 1;
};

bool isDatePart(T t)
{
    return t == T::Year || t == T::Month || t == T::Minute || t == T::Day || t == T::Hour || t == T::Second
           || t == T::Elapsed || t == T::AmPm || t == T::AP || t == T::SecondFraction;
}

bool isDigit(T t)
{
    return t == T::Zero || t == T::Hash || t == T::Quest;
}

// The sections of a format code, split at ';' outside quotes, escapes and brackets.
QStringList sections(const QString &code)
{
    QStringList out;
    QString cur;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (quoted) {
            cur += c;
            if (c == QLatin1Char('"'))
                quoted = false;
        } else if (c == QLatin1Char('\\') && i + 1 < code.size()) {
            cur += c;
            cur += code.at(++i);
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            cur += c;
        } else if (c == QLatin1Char('[')) {
            ++bracket;
            cur += c;
        } else if (c == QLatin1Char(']')) {
            bracket = std::max(0, bracket - 1);
            cur += c;
        } else if (c == QLatin1Char(';') && bracket == 0) {
            out.append(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.append(cur);
    return out;
}

std::vector<Tok> tokenise(const QString &s)
{
    std::vector<Tok> toks;
    const auto lit = [&toks](const QString &t) {
        if (!toks.empty() && toks.back().type == T::Literal)
            toks.back().text += t;
        else
            toks.push_back({T::Literal, t});
    };
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s.at(i);
        const char16_t l = c.toLower().unicode();
        const auto run = [&](char16_t ch) {
            int len = 1;
            while (i + 1 < n && s.at(i + 1).toLower() == QChar(ch)) {
                ++i;
                ++len;
            }
            return len;
        };
        if (c == QLatin1Char('"')) {
            const qsizetype end = s.indexOf(QLatin1Char('"'), i + 1);
            lit(s.mid(i + 1, (end < 0 ? n : end) - i - 1));
            i = end < 0 ? n : end;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 < n)
                lit(QString(s.at(++i)));
        } else if (c == QLatin1Char('_')) {
            ++i;
            lit(QStringLiteral(" "));
        } else if (c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            const qsizetype end = s.indexOf(QLatin1Char(']'), i + 1);
            const QString inner = s.mid(i + 1, (end < 0 ? n : end) - i - 1);
            i = end < 0 ? n : end;
            if (inner.startsWith(QLatin1Char('$'))) {
                const qsizetype dash = inner.indexOf(QLatin1Char('-'));
                lit(inner.mid(1, dash < 0 ? -1 : dash - 1));
            } else if (!inner.isEmpty()) {
                const QChar e = inner.at(0).toLower();
                if ((e == QLatin1Char('h') || e == QLatin1Char('m') || e == QLatin1Char('s'))
                    && inner.count(inner.at(0)) == inner.size())
                    toks.push_back({T::Elapsed, QString(e), int(inner.size())});
                // Anything else is a colour or a condition: not shown.
            }
        } else if (c == QLatin1Char('0')) {
            toks.push_back({T::Zero, {}});
        } else if (c == QLatin1Char('#')) {
            toks.push_back({T::Hash, {}});
        } else if (c == QLatin1Char('?')) {
            toks.push_back({T::Quest, {}});
        } else if (c == QLatin1Char('.')) {
            // After seconds, ".0" to ".000" are fractions of a second.
            bool secs = false;
            for (auto it = toks.rbegin(); it != toks.rend(); ++it) {
                if (it->type == T::Literal)
                    continue;
                secs = it->type == T::Second || (it->type == T::Elapsed && it->text == QLatin1String("s"));
                break;
            }
            if (secs && i + 1 < n && s.at(i + 1) == QLatin1Char('0')) {
                int len = 0;
                while (i + 1 < n && s.at(i + 1) == QLatin1Char('0')) {
                    ++i;
                    ++len;
                }
                toks.push_back({T::SecondFraction, {}, std::min(len, 3)});
            } else {
                toks.push_back({T::Point, {}});
            }
        } else if (c == QLatin1Char(',')) {
            toks.push_back({T::Comma, {}});
        } else if (c == QLatin1Char('%')) {
            toks.push_back({T::Percent, {}});
        } else if (l == u'e' && i + 1 < n
                   && (s.at(i + 1) == QLatin1Char('+') || s.at(i + 1) == QLatin1Char('-'))) {
            toks.push_back({T::Exponent, QString(s.at(++i))});
        } else if (l == u'y') {
            toks.push_back({T::Year, {}, run(u'y')});
        } else if (l == u'm') {
            toks.push_back({T::Month, {}, run(u'm')});
        } else if (l == u'd') {
            toks.push_back({T::Day, {}, run(u'd')});
        } else if (l == u'h') {
            toks.push_back({T::Hour, {}, run(u'h')});
        } else if (l == u's') {
            toks.push_back({T::Second, {}, run(u's')});
        } else if (s.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            toks.push_back({T::AmPm, {}});
            i += 4;
        } else if (s.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            toks.push_back({T::AP, {}});
            i += 2;
        } else if (s.mid(i, 7).compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
            toks.push_back({T::General, {}});
            i += 6;
        } else if (c == QLatin1Char('@')) {
            toks.push_back({T::At, {}});
        } else {
            lit(QString(c));
        }
    }
    // m or mm after an hour or before a second is minutes.
    for (size_t k = 0; k < toks.size(); ++k) {
        if (toks[k].type != T::Month || toks[k].len > 2)
            continue;
        T before = T::Literal, after = T::Literal;
        for (size_t j = k; j-- > 0;) {
            if (isDatePart(toks[j].type)) {
                before = toks[j].type;
                break;
            }
        }
        for (size_t j = k + 1; j < toks.size(); ++j) {
            if (isDatePart(toks[j].type)) {
                after = toks[j].type;
                break;
            }
        }
        if (before == T::Hour || (before == T::Elapsed) || after == T::Second)
            toks[k].type = T::Minute;
    }
    return toks;
}

QString pad(qint64 v, int width)
{
    return QString::number(v).rightJustified(width, QLatin1Char('0'));
}

QString formatDate(double value, const std::vector<Tok> &toks, const QLocale &locale, bool date1904)
{
    int fracDigits = 0;
    bool twelve = false;
    for (const Tok &t : toks) {
        if (t.type == T::SecondFraction)
            fracDigits = std::max(fracDigits, t.len);
        if (t.type == T::AmPm || t.type == T::AP)
            twelve = true;
    }
    const double scale = std::pow(10.0, fracDigits);
    const double totalUnits = std::round(value * 86400.0 * scale);
    const qint64 units = qint64(totalUnits);
    const qint64 perDay = qint64(86400 * scale);
    const qint64 days = units / perDay;
    const qint64 inDay = units % perDay;
    const qint64 secs = inDay / qint64(scale);
    const qint64 frac = inDay % qint64(scale);
    QDate date;
    if (date1904)
        date = QDate(1904, 1, 1).addDays(days);
    else if (days < 60)
        date = QDate(1899, 12, 31).addDays(days);
    else
        date = QDate(1899, 12, 30).addDays(days); // serial 60 is the 29 February 1900 that never was
    const int hour = int(secs / 3600), minute = int(secs / 60 % 60), second = int(secs % 60);
    QString out;
    for (const Tok &t : toks) {
        switch (t.type) {
        case T::Year:
            out += t.len <= 2 ? pad(date.year() % 100, 2) : pad(date.year(), 4);
            break;
        case T::Month:
            if (t.len == 1)
                out += QString::number(date.month());
            else if (t.len == 2)
                out += pad(date.month(), 2);
            else if (t.len == 3)
                out += locale.monthName(date.month(), QLocale::ShortFormat);
            else if (t.len == 5)
                out += locale.monthName(date.month(), QLocale::NarrowFormat);
            else
                out += locale.monthName(date.month(), QLocale::LongFormat);
            break;
        case T::Day:
            if (t.len == 1)
                out += QString::number(date.day());
            else if (t.len == 2)
                out += pad(date.day(), 2);
            else if (t.len == 3)
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            break;
        case T::Hour: {
            int h = hour;
            if (twelve)
                h = h % 12 == 0 ? 12 : h % 12;
            out += t.len >= 2 ? pad(h, 2) : QString::number(h);
            break;
        }
        case T::Minute:
            out += t.len >= 2 ? pad(minute, 2) : QString::number(minute);
            break;
        case T::Second:
            out += t.len >= 2 ? pad(second, 2) : QString::number(second);
            break;
        case T::SecondFraction:
            out += locale.decimalPoint() + pad(frac, fracDigits).left(t.len);
            break;
        case T::Elapsed: {
            const qint64 totalSecs = units / qint64(scale);
            const qint64 v = t.text == QLatin1String("h")   ? totalSecs / 3600
                             : t.text == QLatin1String("m") ? totalSecs / 60
                                                            : totalSecs;
            out += pad(v, t.len);
            break;
        }
        case T::AmPm:
            out += hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            break;
        case T::AP:
            out += hour < 12 ? QStringLiteral("A") : QStringLiteral("P");
            break;
        case T::Literal:
            out += t.text;
            break;
        case T::Point:
            out += QLatin1Char('.');
            break;
        case T::Comma:
            out += QLatin1Char(',');
            break;
        case T::Zero:
            out += QLatin1Char('0');
            break;
        default:
            break;
        }
    }
    return out;
}

QString formatNumberSection(double value, const std::vector<Tok> &toks, const QLocale &locale, bool sign)
{
    // Where the parts of the number are.
    int pointAt = -1, expAt = -1;
    int firstDigit = -1, lastIntDigit = -1;
    bool grouping = false;
    int scaleCommas = 0;
    int percent = 0;
    for (int k = 0; k < int(toks.size()); ++k) {
        const T t = toks[size_t(k)].type;
        if (t == T::Percent)
            ++percent;
        if (t == T::General || t == T::At) {
            // General (or text) with literals around it.
            QString out;
            for (const Tok &x : toks)
                out += x.type == T::Literal ? x.text
                       : (x.type == T::General || x.type == T::At)
                               ? FormatGeneral(sign ? -std::fabs(value) : std::fabs(value), locale)
                               : QString();
            return out;
        }
        if (t == T::Exponent && expAt < 0)
            expAt = k;
        if (t == T::Point && pointAt < 0 && expAt < 0)
            pointAt = k;
        if (isDigit(t)) {
            if (firstDigit < 0)
                firstDigit = k;
            if (pointAt < 0 && expAt < 0)
                lastIntDigit = k;
        }
    }
    // Commas: between integer placeholders they group, after the last one they divide by 1000.
    for (int k = 0; k < int(toks.size()); ++k) {
        if (toks[size_t(k)].type != T::Comma)
            continue;
        const bool digitBefore = k > 0 && isDigit(toks[size_t(k - 1)].type);
        const bool digitAfter = k + 1 < int(toks.size()) && isDigit(toks[size_t(k + 1)].type);
        if (digitBefore && digitAfter && (pointAt < 0 || k < pointAt))
            grouping = true;
        else if (k > lastIntDigit && lastIntDigit >= 0 && (pointAt < 0 || k <= pointAt)) {
            bool onlyCommasBetween = true;
            for (int j = lastIntDigit + 1; j < k; ++j)
                onlyCommasBetween = onlyCommasBetween && toks[size_t(j)].type == T::Comma;
            if (onlyCommasBetween)
                ++scaleCommas;
        }
    }
    double v = std::fabs(value);
    for (int i = 0; i < percent; ++i)
        v *= 100.0;
    for (int i = 0; i < scaleCommas; ++i)
        v /= 1000.0;
    // Placeholders of the integer part, the fraction and the exponent.
    std::vector<int> intPos, fracPos, expPos;
    for (int k = 0; k < int(toks.size()); ++k) {
        if (!isDigit(toks[size_t(k)].type))
            continue;
        if (expAt >= 0 && k > expAt)
            expPos.push_back(k);
        else if (pointAt >= 0 && k > pointAt)
            fracPos.push_back(k);
        else
            intPos.push_back(k);
    }
    int exponent = 0;
    if (expAt >= 0 && v != 0.0) {
        exponent = int(std::floor(std::log10(v)));
        const int step = std::max<int>(1,
                                       int(intPos.size()) > 1 && toks[size_t(intPos.front())].type == T::Hash
                                               ? int(intPos.size())
                                               : 1);
        exponent = int(std::floor(double(exponent) / step)) * step;
        v /= std::pow(10.0, exponent);
    }
    QString rounded = QString::number(v, 'f', int(fracPos.size()));
    if (expAt >= 0 && rounded.startsWith(QLatin1String("10")) && intPos.size() <= 1 && v != 0.0) {
        // 9.99 rounded to 10.0: one more in the exponent.
        v /= 10.0;
        ++exponent;
        rounded = QString::number(v, 'f', int(fracPos.size()));
    }
    const qsizetype dot = rounded.indexOf(QLatin1Char('.'));
    QString intDigits = dot < 0 ? rounded : rounded.left(dot);
    const QString fracDigits = dot < 0 ? QString() : rounded.mid(dot + 1);
    if (intDigits == QLatin1String("0"))
        intDigits.clear();
    bool allZero = true;
    for (const QChar c : rounded)
        allZero = allZero && (c == QLatin1Char('0') || c == QLatin1Char('.'));
    std::vector<QString> fill(toks.size());
    if (!intPos.empty()) {
        int zeros = 0;
        for (int k : intPos)
            zeros += toks[size_t(k)].type == T::Zero ? 1 : 0;
        if (grouping) {
            QString d = intDigits.rightJustified(zeros, QLatin1Char('0'));
            QString grouped;
            for (qsizetype i = 0; i < d.size(); ++i) {
                if (i > 0 && (d.size() - i) % 3 == 0)
                    grouped += locale.groupSeparator();
                grouped += d.at(i);
            }
            fill[size_t(intPos.front())] = grouped;
        } else {
            qsizetype left = intDigits.size();
            for (size_t p = intPos.size(); p-- > 0;) {
                const int k = intPos[p];
                QString &f = fill[size_t(k)];
                if (p == 0 && left > 0) {
                    f = intDigits.left(left);
                    left = 0;
                } else if (left > 0) {
                    f = intDigits.at(--left);
                } else if (toks[size_t(k)].type == T::Zero) {
                    f = QStringLiteral("0");
                } else if (toks[size_t(k)].type == T::Quest) {
                    f = QStringLiteral(" ");
                }
            }
        }
    } else if (!intDigits.isEmpty() && pointAt >= 0) {
        fill[size_t(pointAt)] = intDigits; // ".00" with a value of 1 or more still shows its digits
    }
    // Fraction: trailing zeros under # vanish, under ? become spaces.
    bool trailing = true;
    for (size_t p = fracPos.size(); p-- > 0;) {
        const int k = fracPos[p];
        const QChar d = p < size_t(fracDigits.size()) ? fracDigits.at(qsizetype(p)) : QLatin1Char('0');
        const T t = toks[size_t(k)].type;
        if (trailing && d == QLatin1Char('0') && t != T::Zero)
            fill[size_t(k)] = t == T::Quest ? QStringLiteral(" ") : QString();
        else {
            fill[size_t(k)] = d;
            trailing = false;
        }
    }
    QString out;
    if (sign && !allZero)
        out += locale.negativeSign();
    for (int k = 0; k < int(toks.size()); ++k) {
        const Tok &t = toks[size_t(k)];
        switch (t.type) {
        case T::Literal:
            out += t.text;
            break;
        case T::Point:
            if (k == pointAt)
                out += fill[size_t(k)] + locale.decimalPoint();
            else
                out += QLatin1Char('.');
            break;
        case T::Percent:
            out += QLatin1Char('%');
            break;
        case T::Exponent: {
            int minDigits = std::max<int>(1, int(expPos.size()));
            out += QLatin1Char('E');
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (t.text == QLatin1String("+"))
                out += QLatin1Char('+');
            out += pad(std::abs(exponent), minDigits);
            break;
        }
        default:
            if (isDigit(t.type) && !(expAt >= 0 && k > expAt))
                out += fill[size_t(k)];
            break;
        }
    }
    return out;
}

} // namespace

QString FormatGeneral(double value, const QLocale &locale)
{
    if (std::isnan(value) || std::isinf(value))
        return QStringLiteral("#NUM!");
    if (value == 0.0)
        return QStringLiteral("0");
    const double a = std::fabs(value);
    QString s;
    if (a >= 1e11 || a < 1e-9) {
        s = QString::number(a, 'E', 5);
        const qsizetype e = s.indexOf(QLatin1Char('E'));
        QString mant = s.left(e);
        while (mant.endsWith(QLatin1Char('0')))
            mant.chop(1);
        if (mant.endsWith(QLatin1Char('.')))
            mant.chop(1);
        s = mant + s.mid(e);
    } else {
        const int intDigits = a >= 1 ? int(std::floor(std::log10(a))) + 1 : 1;
        const int decimals = std::max(0, (a >= 1 ? 10 : 9) - intDigits + (a >= 1 ? 0 : 1));
        s = QString::number(a, 'f', decimals);
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.')))
                s.chop(1);
        }
    }
    s.replace(QLatin1Char('.'), locale.decimalPoint());
    return value < 0 ? locale.negativeSign() + s : s;
}

QString BuiltinNumberFormat(int id, const QLocale &locale)
{
    const auto shortDate = [&locale] {
        if (locale.language() == QLocale::C)
            return QStringLiteral("m/d/yyyy");
        QString f = locale.dateFormat(QLocale::ShortFormat).toLower();
        if (!f.contains(QLatin1String("yyyy")))
            f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        return f;
    };
    switch (id) {
    case 1:
        return QStringLiteral("0");
    case 2:
        return QStringLiteral("0.00");
    case 3:
        return QStringLiteral("#,##0");
    case 4:
        return QStringLiteral("#,##0.00");
    case 5:
    case 37:
        return QStringLiteral("#,##0 ;(#,##0)");
    case 6:
    case 38:
        return QStringLiteral("#,##0 ;[Red](#,##0)");
    case 7:
    case 39:
        return QStringLiteral("#,##0.00;(#,##0.00)");
    case 8:
    case 40:
        return QStringLiteral("#,##0.00;[Red](#,##0.00)");
    case 9:
        return QStringLiteral("0%");
    case 10:
        return QStringLiteral("0.00%");
    case 11:
        return QStringLiteral("0.00E+00");
    case 14:
        return shortDate();
    case 15:
        return QStringLiteral("d-mmm-yy");
    case 16:
        return QStringLiteral("d-mmm");
    case 17:
        return QStringLiteral("mmm-yy");
    case 18:
        return QStringLiteral("h:mm AM/PM");
    case 19:
        return QStringLiteral("h:mm:ss AM/PM");
    case 20:
        return QStringLiteral("h:mm");
    case 21:
        return QStringLiteral("h:mm:ss");
    case 22:
        return shortDate() + QStringLiteral(" h:mm");
    case 45:
        return QStringLiteral("mm:ss");
    case 46:
        return QStringLiteral("[h]:mm:ss");
    case 47:
        return QStringLiteral("mm:ss.0");
    case 48:
        return QStringLiteral("##0.0E+0");
    case 49:
        return QStringLiteral("@");
    default:
        break;
    }
    if ((id >= 27 && id <= 36) || (id >= 50 && id <= 58))
        return shortDate(); // East Asian date formats: the short date here
    return QStringLiteral("General");
}

struct NumberFormatter::Section
{
    std::vector<Tok> toks;
    bool empty = false; // an empty section hides the value
    bool date = false;
    bool number = false;
    bool fraction = false;
};

NumberFormatter::NumberFormatter(const QString &formatCode, const QLocale &locale, bool date1904)
    : m_locale(locale)
    , m_date1904(date1904)
{
    for (const QString &text : sections(formatCode)) {
        Section sec;
        sec.empty = text.trimmed().isEmpty();
        sec.toks = tokenise(text);
        const std::vector<Tok> &toks = sec.toks;
        for (size_t k = 0; k < toks.size(); ++k) {
            sec.date = sec.date || isDatePart(toks[k].type);
            sec.number = sec.number || isDigit(toks[k].type) || toks[k].type == T::General
                         || toks[k].type == T::At;
            if (toks[k].type == T::Literal && toks[k].text.contains(QLatin1Char('/')) && sec.number
                && k + 1 < toks.size() && isDigit(toks[k + 1].type))
                sec.fraction = true;
        }
        m_sections.push_back(std::move(sec));
    }
}

NumberFormatter::~NumberFormatter() = default;

QString NumberFormatter::format(double value) const
{
    if (std::isnan(value) || std::isinf(value))
        return QStringLiteral("#NUM!");
    // The section for the value: positive;negative;zero;text.
    const size_t count = m_sections.size();
    size_t index = 0;
    bool sign = false;
    if (value < 0 && count >= 2)
        index = 1;
    else if (value == 0 && count >= 3)
        index = 2;
    else if (value < 0)
        sign = true;
    const Section &sec = m_sections.at(index);
    if (sec.empty && index > 0)
        return QString();
    if (sec.date) {
        if (value < 0 || value > 2958465.0) // before the epoch or after the year 9999: Excel shows ####
            return FormatGeneral(value, m_locale);
        return formatDate(value, sec.toks, m_locale, m_date1904);
    }
    if (!sec.number) {
        // Only literals: the text of the section (e.g. "-" for zero).
        QString out;
        for (const Tok &t : sec.toks)
            out += t.type == T::Literal ? t.text : t.type == T::Percent ? QStringLiteral("%") : QString();
        return out;
    }
    if (sec.fraction)
        return FormatGeneral(value, m_locale);
    return formatNumberSection(index == 0 ? value : std::fabs(value), sec.toks, m_locale, sign);
}

QString FormatNumber(double value, const QString &formatCode, const QLocale &locale, bool date1904)
{
    return NumberFormatter(formatCode, locale, date1904).format(value);
}

} // namespace sources
