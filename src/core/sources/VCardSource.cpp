#include "VCardSource.h"

#include "CsvSource.h"

#include <QStringDecoder>

#include <algorithm>

namespace sources {

namespace {

constexpr QChar PartEnd(0xFFFF);

struct Property
{
    QByteArray name;          // upper case, group removed
    QList<QByteArray> params; // as written, upper case
    QByteArray value;         // raw bytes
};

bool isQp(const QByteArray &head)
{
    return head.toUpper().contains("QUOTED-PRINTABLE");
}

// The position of the first ':' outside double quotes, or -1.
qsizetype colonOf(const QByteArray &line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == '"')
            quoted = !quoted;
        else if (line.at(i) == ':' && !quoted)
            return i;
    }
    return -1;
}

Property parseProperty(const QByteArray &line)
{
    Property p;
    const qsizetype colon = colonOf(line);
    const QByteArray head = colon < 0 ? line : line.left(colon);
    p.value = colon < 0 ? QByteArray() : line.mid(colon + 1);
    QList<QByteArray> parts = head.split(';');
    QByteArray name = parts.takeFirst().trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.mid(dot + 1);
    p.name = name;
    for (const QByteArray &param : parts)
        p.params.append(param.trimmed().toUpper());
    return p;
}

// The values of one parameter (TYPE=a,b;TYPE=c gives a, b, c); bare 2.1 parameters count as TYPE.
QList<QByteArray> paramValues(const Property &p, const QByteArray &key)
{
    QList<QByteArray> out;
    for (const QByteArray &param : p.params) {
        const qsizetype eq = param.indexOf('=');
        if (eq < 0) {
            if (key == "TYPE")
                out.append(param);
            continue;
        }
        if (param.left(eq).trimmed() != key)
            continue;
        QByteArray v = param.mid(eq + 1);
        v.replace('"', QByteArray());
        for (const QByteArray &item : v.split(','))
            out.append(item.trimmed());
    }
    return out;
}

QString decodeBytes(const QByteArray &bytes, const QByteArray &charset, TextEncoding fileEncoding)
{
    const QByteArray cs = charset.toLower();
    if (cs.isEmpty())
        return DecodeText(bytes,
                          fileEncoding == TextEncoding::Utf8WithBom ? TextEncoding::Utf8 : fileEncoding);
    if (cs == "utf-8" || cs == "utf8")
        return QString::fromUtf8(bytes);
    if (cs == "windows-1252" || cs == "cp1252" || cs == "us-ascii" || cs == "ascii")
        return DecodeCp1252(bytes);
    if (cs == "iso-8859-1" || cs == "latin1" || cs == "iso8859-1")
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(cs.constData());
    if (decoder.isValid())
        return decoder.decode(bytes);
    return DecodeCp1252(bytes);
}

// Splits at unescaped separators (the escapes stay for unescape()).
QStringList splitUnescaped(const QString &value, QChar separator)
{
    QStringList out;
    qsizetype start = 0;
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            ++i; // the escaped character is no separator
        else if (c == separator) {
            out.append(value.mid(start, i - start));
            start = i + 1;
        }
    }
    out.append(value.mid(start));
    return out;
}

QString unescape(const QString &value)
{
    if (!value.contains(QLatin1Char('\\')) && !value.contains(QLatin1Char('\r')))
        return value;
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar n = value.at(++i);
            if (n == QLatin1Char('n') || n == QLatin1Char('N'))
                out += QLatin1Char('\n');
            else
                out += n;
        } else {
            out += c;
        }
    }
    // Line breaks a quoted-printable value holds as bytes count as well.
    if (out.contains(QLatin1Char('\r'))) {
        out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return out;
}

QString normaliseCountry(const QString &s)
{
    QString out;
    for (const QChar c : s) {
        if (c.isLetterOrNumber())
            out += c.toCaseFolded();
    }
    return out;
}

struct CountryExtra
{
    const char *alpha2;
    const char *alpha3;
    const char *vehicle;
    const char *german; // UTF-8
};

// German names and codes Qt does not give, for the countries German users write most often.
constexpr CountryExtra Extras[] = {
        {"DE", "DEU", "D", "Deutschland"},
        {"AT", "AUT", "A", "Österreich"},
        {"CH", "CHE", "CH", "Schweiz"},
        {"FR", "FRA", "F", "Frankreich"},
        {"NL", "NLD", "NL", "Niederlande"},
        {"BE", "BEL", "B", "Belgien"},
        {"LU", "LUX", "L", "Luxemburg"},
        {"IT", "ITA", "I", "Italien"},
        {"ES", "ESP", "E", "Spanien"},
        {"PL", "POL", "PL", "Polen"},
        {"CZ", "CZE", "CZ", "Tschechien"},
        {"DK", "DNK", "DK", "Dänemark"},
        {"GB", "GBR", "GB", "Vereinigtes Königreich"},
        {"US", "USA", "USA", "Vereinigte Staaten"},
        {"LI", "LIE", "FL", "Liechtenstein"},
        {"SE", "SWE", "S", "Schweden"},
};

} // namespace

QByteArray DecodeQuotedPrintable(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '=') {
            out += c;
            continue;
        }
        // Soft line break: "=" then CR LF, LF or the end.
        if (i + 1 >= bytes.size())
            break;
        if (bytes.at(i + 1) == '\n') {
            ++i;
            continue;
        }
        if (bytes.at(i + 1) == '\r') {
            i += (i + 2 < bytes.size() && bytes.at(i + 2) == '\n') ? 2 : 1;
            continue;
        }
        bool ok = false;
        const int v = i + 2 < bytes.size() ? bytes.mid(i + 1, 2).toInt(&ok, 16) : 0;
        if (ok) {
            out += char(v);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

QSet<QString> OwnCountryNames(const QLocale &locale)
{
    QSet<QString> names;
    const QLocale::Territory own = locale.territory();
    if (own == QLocale::AnyTerritory)
        return names;
    names.insert(normaliseCountry(QLocale::territoryToString(own)));
    const QString alpha2 = QLocale::territoryToCode(own);
    names.insert(normaliseCountry(alpha2));
    for (const QLocale &l : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, own))
        names.insert(normaliseCountry(l.nativeTerritoryName()));
    for (const CountryExtra &e : Extras) {
        if (alpha2 == QLatin1String(e.alpha2)) {
            names.insert(normaliseCountry(QString::fromLatin1(e.alpha3)));
            names.insert(normaliseCountry(QString::fromLatin1(e.vehicle)));
            names.insert(normaliseCountry(QString::fromUtf8(e.german)));
        }
    }
    if (alpha2 == QLatin1String("DE"))
        names.insert(normaliseCountry(QStringLiteral("Bundesrepublik Deutschland")));
    if (alpha2 == QLatin1String("US"))
        names.insert(normaliseCountry(QStringLiteral("United States of America")));
    names.remove(QString());
    return names;
}

bool IsOwnCountry(const QString &country, const QLocale &locale)
{
    return OwnCountryNames(locale).contains(normaliseCountry(country));
}

VCardSource::VCardSource(const QByteArray &content, const SourceOptions &options)
    : m_options(options)
    , m_ownCountry(OwnCountryNames(options.locale))
{
    parse(content);
}

void VCardSource::parse(const QByteArray &content)
{
    const TextEncoding encoding = DetectTextEncoding(content);
    const QByteArray body = encoding == TextEncoding::Utf8WithBom ? content.mid(3) : content;
    // Physical lines: LF, CR LF or CR end them.
    // Physical lines end at LF, CR LF or CR; read one at a time, so only one contact is held as text.
    qsizetype pos = 0;
    const qsizetype n = body.size();
    const auto nextLine = [&body, &pos, n](QByteArrayView &line) {
        if (pos >= n)
            return false;
        qsizetype i = pos;
        while (i < n && body.at(i) != '\n' && body.at(i) != '\r')
            ++i;
        line = QByteArrayView(body.constData() + pos, i - pos);
        if (i < n && body.at(i) == '\r' && i + 1 < n && body.at(i + 1) == '\n')
            ++i;
        pos = i + 1;
        return true;
    };
    int depth = 0;
    int version = 3;
    Contact contact;
    bool anyAddress = false;
    qint64 chars = 0;
    QByteArray logical;
    const auto handle = [&](const QByteArray &line) {
        if (m_error || line.trimmed().isEmpty())
            return;
        const Property p = parseProperty(line);
        const QByteArray value = p.value;
        if (p.name == "BEGIN" && value.trimmed().toUpper() == "VCARD") {
            if (depth++ == 0) {
                contact = Contact();
                anyAddress = false;
                version = 3;
            }
            return;
        }
        if (p.name == "END" && value.trimmed().toUpper() == "VCARD") {
            if (depth > 0 && --depth == 0) {
                if (!anyAddress) {
                    ++m_withoutAddress;
                    if (m_namesWithoutAddress.size() < 1000)
                        m_namesWithoutAddress.append(contact.name.isEmpty() ? contact.org : contact.name);
                } else if (qsizetype(m_contacts.size()) >= m_options.limits.maxRecords) {
                    m_error = {SourceErrorKind::TooManyRows, QString()};
                } else {
                    m_contacts.push_back(std::move(contact));
                }
            }
            return;
        }
        if (depth != 1)
            return;
        if (p.name == "VERSION") {
            version = value.trimmed().startsWith("2.") ? 2 : value.trimmed().startsWith("4.") ? 4 : 3;
            return;
        }
        if (p.name != "FN" && p.name != "N" && p.name != "ORG" && p.name != "ADR")
            return;
        bool qp = false;
        for (const QByteArray &param : p.params)
            qp = qp || param.contains("QUOTED-PRINTABLE");
        const QList<QByteArray> charsets = paramValues(p, "CHARSET");
        const QString text = decodeBytes(qp ? DecodeQuotedPrintable(value) : value,
                                         charsets.isEmpty() ? QByteArray() : charsets.front(),
                                         encoding);
        chars += text.size();
        if (chars > m_options.limits.maxTextChars) {
            m_error = {SourceErrorKind::TooLarge, QString()};
            return;
        }
        const QStringList parts = splitUnescaped(text, QLatin1Char(';'));
        const auto joined = [](QStringList list, const QString &sep) {
            list.removeAll(QString());
            return list.join(sep);
        };
        if (p.name == "FN") {
            contact.name = unescape(text).trimmed();
        } else if (p.name == "N") {
            if (contact.name.isEmpty()) {
                QStringList n;
                for (const QString &s : parts)
                    n.append(unescape(s).replace(QLatin1Char(','), QLatin1Char(' ')).trimmed());
                while (n.size() < 5)
                    n.append(QString());
                contact.name = joined({n[3], n[1], n[2], n[0], n[4]}, QStringLiteral(" "));
            }
        } else if (p.name == "ORG") {
            QStringList o;
            for (const QString &s : parts)
                o.append(unescape(s).trimmed());
            contact.org = joined(o, QStringLiteral(", "));
        } else if (p.name == "ADR") {
            Address a;
            QStringList components;
            for (int i = 0; i < 7; ++i) {
                const QString part = parts.value(i);
                if (i == 2 && version >= 3) {
                    QStringList lines;
                    for (const QString &s : splitUnescaped(part, QLatin1Char(',')))
                        lines.append(unescape(s));
                    components.append(lines.join(QLatin1Char('\n')));
                } else {
                    components.append(unescape(part).trimmed());
                }
                components.last().remove(PartEnd);
            }
            bool any = false;
            for (const QString &s : components)
                any = any || !s.trimmed().isEmpty();
            if (!any)
                return;
            a.parts = components.join(PartEnd);
            for (const QByteArray &t : paramValues(p, "TYPE")) {
                if (t == "WORK")
                    a.work = true;
                else if (t == "HOME")
                    a.home = true;
                else if (t == "PREF")
                    a.pref = std::min(a.pref, 1);
            }
            for (const QByteArray &v : paramValues(p, "PREF")) {
                bool ok = false;
                const int n = v.toInt(&ok);
                if (ok && n > 0)
                    a.pref = std::min(a.pref, n);
            }
            contact.addresses.push_back(std::move(a));
            anyAddress = true;
        }
    };
    bool logicalQp = false;
    QByteArrayView line;
    while (nextLine(line)) {
        if (m_error)
            break;
        if (!logical.isEmpty() && (line.startsWith(' ') || line.startsWith('\t'))) {
            logical += line.sliced(1);
            continue;
        }
        if (logicalQp && logical.endsWith('=')) {
            // A quoted-printable soft line break: the value goes on in this line.
            logical.chop(1);
            logical += line;
            continue;
        }
        handle(logical);
        logical = line.toByteArray();
        const qsizetype colon = colonOf(logical);
        logicalQp = colon > 0 && isQp(logical.left(colon));
    }
    handle(logical);
}

const VCardSource::Address &VCardSource::chosen(const Contact &c) const
{
    const auto best = [&c](auto accept) -> const Address * {
        const Address *found = nullptr;
        for (const Address &a : c.addresses)
            if (accept(a) && (!found || a.pref < found->pref))
                found = &a;
        return found;
    };
    const Address *a = nullptr;
    if (m_kind == AddressKind::Work)
        a = best([](const Address &x) { return x.work; });
    else if (m_kind == AddressKind::Home)
        a = best([](const Address &x) { return x.home; });
    if (!a)
        a = best([](const Address &) { return true; });
    return *a;
}

QStringList VCardSource::record(qsizetype k) const
{
    if (k < 0 || k >= recordCount())
        return {};
    const Contact &c = m_contacts[size_t(k)];
    const QStringList parts = chosen(c).parts.split(PartEnd);
    QStringList lines;
    const auto add = [&lines](const QString &text) {
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty())
                lines.append(line.trimmed());
        }
    };
    add(c.name);
    if (c.org.compare(c.name, Qt::CaseInsensitive) != 0)
        add(c.org);
    add(parts.value(0));
    add(parts.value(1));
    add(parts.value(2));
    QString town = (parts.value(5) + QLatin1Char(' ') + parts.value(3)).trimmed();
    if (!parts.value(4).isEmpty())
        town = town.isEmpty() ? parts.value(4) : town + QStringLiteral(", ") + parts.value(4);
    add(town);
    if (!m_ownCountry.contains(normaliseCountry(parts.value(6))))
        add(parts.value(6));
    return lines;
}

} // namespace sources
