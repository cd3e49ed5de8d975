#include "TsvTable.h"

#include "core/BinaryIO.h"

#include <QSet>

namespace {

constexpr int Columns = 20;

bool unescape(const QString &field, QString &out)
{
    out.clear();
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i >= field.size())
            return false;
        switch (field.at(i).unicode()) {
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            return false;
        }
    }
    return true;
}

} // namespace

bool ParseTsvTable(const QByteArray &data, TTsvTable &table, QString &error)
{
    table.rows.clear();
    QSet<QString> german;
    const QStringList lines = QString::fromUtf8(data).split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString where = QStringLiteral("line %1: ").arg(n + 1);
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() > Columns) {
            error = where + QStringLiteral("more than %1 columns").arg(Columns);
            return false;
        }
        QStringList row;
        for (const QString &field : fields) {
            QString text;
            if (!unescape(field, text)) {
                error = where + QStringLiteral("bad escape in \"%1\"").arg(field);
                return false;
            }
            row << text;
        }
        const QString &key = row.first();
        if (key.isEmpty()) {
            error = where + QStringLiteral("empty German text");
            return false;
        }
        if (key.startsWith(QLatin1Char(' ')) || key.endsWith(QLatin1Char(' '))) {
            error = where + QStringLiteral("German text with outer spaces");
            return false;
        }
        if (german.contains(key)) {
            error = where + QStringLiteral("German text \"%1\" given twice").arg(key);
            return false;
        }
        german.insert(key);
        table.rows << row;
    }
    return true;
}

QByteArray TranslationFileBytes(const TTsvTable &table)
{
    QByteArray bytes;
    AppendInt32(bytes, Columns);
    AppendInt32(bytes, qint32(table.rows.size()));
    for (const QStringList &row : table.rows) {
        for (int k = 0; k < Columns; ++k)
            AppendWideRecord(bytes, k < row.size() ? QStringView(row[k]) : QStringView());
    }
    return bytes;
}
