#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "app/RunBox.h"
#include "core/translateunit.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

extern IsolatedEnvironment *TestEnv;

class TestRunBox : public QObject
{
    Q_OBJECT

    static TRunQuestion question()
    {
        TRunQuestion q;
        q.caption = QStringLiteral("Seriendruck");
        q.text = QStringLiteral("Um den Druck zu beginnen, klicken Sie auf Ok.");
        q.countText = QStringLiteral("Umschläge: %1");
        q.records = 30;
        q.firstRecord = {QStringLiteral("Name"), QStringLiteral("Straße"), QStringLiteral("Ort")};
        q.recordsAfterHeader = 29;
        q.firstRecordAfterHeader
                = {QStringLiteral("Meier"), QStringLiteral("Weg 1"), QStringLiteral("12345 Berlin")};
        return q;
    }

    // Runs the box modally as the program does and presses one of its buttons from inside.
    static TRunAnswer runAndPress(bool tickHeader, QDialogButtonBox::StandardButton press)
    {
        TRunBox box(question());
        QTimer::singleShot(0, &box, [&] {
            if (tickHeader)
                box.headerBox()->click();
            box.findChild<QDialogButtonBox *>()->button(press)->click();
        });
        box.exec();
        return box.answer();
    }

private slots:
    void initTestCase()
    {
        SetTranslationHost([] { return 0; }, [] { return TestEnv->programFolder(); });
    }

    void showsCountAndFirstRecordForEachHeaderChoice()
    {
        TRunBox box(question());
        QCOMPARE(box.windowTitle(), QStringLiteral("Seriendruck"));
        QCOMPARE(box.headerBox()->text(), QStringLiteral("Erste Zeile ist eine Überschrift"));
        QVERIFY(!box.headerBox()->isChecked());
        QCOMPARE(box.countLabel()->text(), QStringLiteral("Umschläge: 30"));
        QCOMPARE(box.recordLabel()->text(), QStringLiteral("Name\nStraße\nOrt"));
        box.headerBox()->click();
        QCOMPARE(box.countLabel()->text(), QStringLiteral("Umschläge: 29"));
        QCOMPARE(box.recordLabel()->text(), QStringLiteral("Meier\nWeg 1\n12345 Berlin"));
        box.headerBox()->click();
        QCOMPARE(box.countLabel()->text(), QStringLiteral("Umschläge: 30"));
        QCOMPARE(box.recordLabel()->text(), QStringLiteral("Name\nStraße\nOrt"));
    }

    void emptyFileShowsNoRecord()
    {
        TRunQuestion q = question();
        q.records = 0;
        q.firstRecord.clear();
        TRunBox box(q);
        box.show();
        QCOMPARE(box.countLabel()->text(), QStringLiteral("Umschläge: 0"));
        QVERIFY(box.recordLabel()->isHidden());
        box.headerBox()->click();
        QVERIFY(box.recordLabel()->isVisible());
    }

    void answers_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("press");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("header");
        QTest::newRow("ok") << false << int(QDialogButtonBox::Ok) << true << false;
        QTest::newRow("ok with header") << true << int(QDialogButtonBox::Ok) << true << true;
        QTest::newRow("cancel") << false << int(QDialogButtonBox::Cancel) << false << false;
        QTest::newRow("cancel with header") << true << int(QDialogButtonBox::Cancel) << false << true;
    }
    void answers()
    {
        QFETCH(bool, tick);
        QFETCH(int, press);
        const TRunAnswer a = runAndPress(tick, QDialogButtonBox::StandardButton(press));
        QTEST(a.accepted, "accepted");
        QTEST(a.firstLineIsHeader, "header");
    }

    void buttonsSpeakTheInterfaceLanguage()
    {
        // A table with English for the box's texts, English active.
        SetTranslationHost([] { return 1; }, [] { return TestEnv->programFolder(); });
        FreeTranslationTable();
        for (const auto &[de, en] :
             {std::pair{"OK", "OK"},
              std::pair{"Abbrechen", "Cancel"},
              std::pair{"Erste Zeile ist eine Überschrift", "First line is a header"}}) {
            TranslateText(QString::fromUtf8(de));
            const int row = TranslationRowCount() - 1;
            SetTranslationCell(row, 1, QString::fromUtf8(en));
        }
        SaveTranslationTable();
        BuildTranslationIndex();
        TRunBox box(question());
        auto *buttons = box.findChild<QDialogButtonBox *>();
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
        QCOMPARE(box.headerBox()->text(), QStringLiteral("First line is a header"));
        SetTranslationHost([] { return 0; }, [] { return TestEnv->programFolder(); });
    }
};

KUVERTINO_GUI_TEST_MAIN(TestRunBox)
#include "tst_runbox.moc"
