#include "TsvTable.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

// The table shipped beside the program, read as a speaker of each language would read it.
class TestShippedTable : public QObject
{
    Q_OBJECT

    QList<QStringList> m_rows;

    enum Column { German, English, French, Dutch };

    // The row of a German text, or an empty list.
    QStringList row(const QString &german) const
    {
        for (const QStringList &r : m_rows)
            if (r.value(German) == german)
                return r;
        return {};
    }
    // File patterns and web addresses keep their own punctuation.
    static bool isTechnical(const QString &text)
    {
        return text.contains(QLatin1Char('|')) || text.contains(QStringLiteral("://"));
    }

private slots:
    void initTestCase()
    {
        QFile tsv(QStringLiteral(KUVERTINO_SOURCE_TSV));
        QVERIFY(tsv.open(QIODevice::ReadOnly));
        TTsvTable table;
        QString error;
        QVERIFY2(ParseTsvTable(tsv.readAll(), table, error), qPrintable(error));
        m_rows = table.rows;
        QVERIFY(m_rows.size() > 100);
    }

    // Every text the program shows has its English, French and Dutch.
    void everyRowHasEveryShippedLanguage()
    {
        QStringList incomplete;
        for (const QStringList &r : m_rows)
            for (int c : {English, French, Dutch})
                if (r.value(c).trimmed().isEmpty())
                    incomplete << QStringLiteral("%1 (column %2)").arg(r.value(German)).arg(c);
        QVERIFY2(incomplete.isEmpty(), qPrintable(incomplete.join(QStringLiteral(" | "))));
    }

    // French sets a no-break space before a colon and a narrow one before ? ! ;, never a plain
    // space and never none.
    void frenchSpaceBeforeMarks_data()
    {
        QTest::addColumn<QChar>("mark");
        QTest::addColumn<QChar>("space");
        QTest::newRow("colon") << QChar(u':') << QChar(0x00A0);
        QTest::newRow("question mark") << QChar(u'?') << QChar(0x202F);
        QTest::newRow("exclamation mark") << QChar(u'!') << QChar(0x202F);
        QTest::newRow("semicolon") << QChar(u';') << QChar(0x202F);
    }
    void frenchSpaceBeforeMarks()
    {
        QFETCH(QChar, mark);
        QFETCH(QChar, space);
        QStringList wrong;
        for (const QStringList &r : m_rows) {
            const QString fr = r.value(French);
            if (isTechnical(fr))
                continue;
            for (qsizetype i = fr.indexOf(mark); i >= 0; i = fr.indexOf(mark, i + 1))
                if (i == 0 || fr.at(i - 1) != space)
                    wrong << fr;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(" | "))));
    }

    // French quotes are « » with no-break spaces inside; no straight double quotes.
    void frenchQuotes()
    {
        QStringList wrong;
        for (const QStringList &r : m_rows) {
            const QString fr = r.value(French);
            if (fr.contains(QLatin1Char('"')) || fr.count(u'«') != fr.count(u'»')
                || fr.count(u'«') != fr.count(QStringLiteral("«\u00A0"))
                || fr.count(u'»') != fr.count(QStringLiteral("\u00A0»")))
                wrong << fr;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(" | "))));
        QCOMPARE(row(QStringLiteral("Z.B. \"Antwort\"")).value(French),
                 QStringLiteral("P. ex. «\u00A0Réponse\u00A0»"));
    }

    // The button is "OK" in every translation, whatever the German text calls it.
    void okIsSpelledOK()
    {
        static const QRegularExpression ok(QStringLiteral("\\bOk\\b"));
        QStringList wrong;
        for (const QStringList &r : m_rows)
            for (int c : {English, French, Dutch})
                if (r.value(c).contains(ok))
                    wrong << r.value(c);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(" | "))));
        QVERIFY(row(QStringLiteral("Um den Druck zu beginnen, klicken Sie auf Ok."))
                        .value(English)
                        .contains("OK"));
    }

    // Texts a native speaker reads differently from a word-for-word translation.
    void nativeTexts_data()
    {
        QTest::addColumn<QString>("german");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("paper size") << "Papierformat:" << int(English) << "Paper size:";
        QTest::newRow("multiple copies")
                << "Mehrere Kopien drucken..." << int(English) << "Print multiple copies...";
        QTest::newRow("About, English") << "Über.." << int(English) << "About";
        QTest::newRow("About, French") << "Über.." << int(French) << "À propos";
        QTest::newRow("About, Dutch") << "Über.." << int(Dutch) << "Over";
        QTest::newRow("openhouden") << "Adressliste immer offen halten" << int(Dutch)
                                    << "Adreslijst altijd openhouden";
        QTest::newRow("cannot open, Dutch")
                << "Konnte die Datei nicht öffnen!" << int(Dutch) << "Kan het bestand niet openen.";
        // The editor's window title (and the restart notice's caption) is a noun.
        QTest::newRow("editor title, English") << "Übersetzen" << int(English) << "Translation";
        QTest::newRow("editor title, French") << "Übersetzen" << int(French) << "Traduction";
        QTest::newRow("editor title, Dutch") << "Übersetzen" << int(Dutch) << "Vertaling";
        // The menu names each language in its own words, in every language.
        QTest::newRow("Français stays") << "Français" << int(Dutch) << "Français";
        QTest::newRow("Nederlands stays") << "Nederlands" << int(English) << "Nederlands";
    }
    void nativeTexts()
    {
        QFETCH(QString, german);
        QFETCH(int, column);
        QFETCH(QString, text);
        const QStringList r = row(german);
        QVERIFY2(!r.isEmpty(), qPrintable(german));
        QCOMPARE(r.value(column), text);
    }
};

QTEST_GUILESS_MAIN(TestShippedTable)
#include "tst_shippedtable.moc"
