#include "core/CsvSurvey.h"

#include "core/CsvReader.h"

#include <QRegularExpression>

TCsvSurvey SurveyCsv(QIODevice &device, int startLine)
{
    TCsvSurvey survey;
    CsvLineReader reader(device);
    int number = 0;
    QStringList fields;
    while (reader.readRecord(startLine, number, fields)) {
        if (survey.records++ == 0) {
            survey.firstLine = number;
            survey.first = RecipientLines(fields);
        }
        if (number == 1)
            continue;
        if (survey.recordsAfterHeader++ == 0) {
            survey.firstLineAfterHeader = number;
            survey.firstAfterHeader = RecipientLines(fields);
        }
    }
    return survey;
}

int FirstRecordLine(QIODevice &device, int startLine)
{
    CsvLineReader reader(device);
    int number = 0;
    QStringList fields;
    return reader.readRecord(startLine, number, fields) ? number : 0;
}

QStringList RecipientLines(const QStringList &fields)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = CsvRecipientText(fields).split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
