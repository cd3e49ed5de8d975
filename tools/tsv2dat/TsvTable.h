#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One translation table read from its reviewable text form: one row per German text, the columns
// (German, English, French, Dutch, ...) separated by tabs.
struct TTsvTable
{
    QList<QStringList> rows; // each row: column 0 the German text, at most 20 columns
};

// Parses the text form (UTF-8). Lines starting with '#' and empty lines are skipped; in a text,
// \t \n \r and \\ stand for tab, line feed, carriage return and backslash. Fails (returns false with
// a message naming the line) on an empty German text, a German text with outer spaces (the lookup
// could never find it), a German text given twice, more than 20 columns, or a bad escape.
bool ParseTsvTable(const QByteArray &data, TTsvTable &table, QString &error);

// The table in the translation-table file format: int32 LE 20, int32 LE row count, then per row 20
// wide-string records (int32 LE count of UTF-16 code units, then the units in UTF-16LE).
QByteArray TranslationFileBytes(const TTsvTable &table);
