#include "core/RecordText.h"

#include <QRegularExpression>

namespace {

bool isBlank(const QString &text)
{
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    return true;
}

} // namespace

QStringList RecordLines(const QStringList &fields, bool skipEmptyLines)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines;
    for (const QString &field : fields) {
        if (skipEmptyLines && isBlank(field))
            continue;
        lines += field.split(lineBreak);
    }
    return lines;
}

QString RecordRecipient(const QStringList &fields, bool skipEmptyLines)
{
    QString text;
    for (const QString &line : RecordLines(fields, skipEmptyLines))
        text += line + QStringLiteral("\r\n");
    return text;
}
