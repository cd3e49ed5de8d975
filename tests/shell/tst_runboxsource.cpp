#include "TestEnvironment.h"
#include "app/FormStorage.h"
#include "app/RecordPreview.h"
#include "app/RunBox.h"
#include "core/sources/RecordSource.h"
#include "core/translateunit.h"
#include "print/SourceRecords.h"
#include "render/RecordEnvelope.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>

extern IsolatedEnvironment *TestEnv;

// The run box over a real address source, one box at a time, without the main window.
class TestRunBoxSource : public QObject
{
    Q_OBJECT

    // Four records; the third gives no line when blank fields are left out.
    static constexpr char Csv[] = "Name;Ort\nMeier;;Hauptstr. 5\n ;\nSchulz;Weg 1\n";

    std::unique_ptr<sources::RecordSource> open(const QByteArray &bytes)
    {
        sources::SourceOpenResult r = sources::OpenRecordSource(bytes);
        return std::move(r.source);
    }
    static TRunQuestion question(sources::RecordSource *source, TRunKind kind = TRunKind::CsvPrint)
    {
        TRunQuestion q;
        q.countText = QStringLiteral("Umschläge: %1");
        q.kind = kind;
        q.source = source;
        q.envelope.sender = QStringLiteral("Absender");
        return q;
    }
    static QString recipient(const TRunBox &box) { return box.preview()->envelope().recipient; }

private slots:
    void initTestCase()
    {
        SetTranslationHost([] { return 0; }, [] { return TestEnv->programFolder(); });
    }
    void init() { TFormStorage::openStore()->remove(TRunBox::storeGroup()); }

    void countsAndRange_data()
    {
        QTest::addColumn<bool>("header");
        QTest::addColumn<bool>("skip");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("shown"); // the record spin's text after the range was set
        QTest::newRow("whole file") << false << false << 1 << 4 << 4 << "Datensatz 1 von 4";
        QTest::newRow("blank lines left out") << false << true << 1 << 4 << 3 << "Datensatz 1 von 4";
        QTest::newRow("header") << true << false << 1 << 3 << 3 << "Datensatz 1 von 3";
        QTest::newRow("header, blank left out") << true << true << 1 << 3 << 2 << "Datensatz 1 von 3";
        QTest::newRow("range over the blank one") << false << true << 2 << 3 << 1 << "Datensatz 2 von 4";
        QTest::newRow("header, from 3") << true << false << 3 << 3 << 1 << "Datensatz 3 von 3";
        QTest::newRow("backwards") << false << false << 3 << 2 << 0 << "Datensatz 3 von 4";
    }
    void countsAndRange()
    {
        QFETCH(bool, header);
        QFETCH(bool, skip);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, count);
        auto source = open(Csv);
        TRunBox box(question(source.get()));
        QCOMPARE(box.countLabel()->text(), QStringLiteral("Umschläge: 4"));
        box.headerBox()->setChecked(header);
        box.skipBox()->setChecked(skip);
        // "bis" follows the end when the header line comes.
        QCOMPARE(box.toEdit()->value(), header ? 3 : 4);
        box.fromEdit()->setValue(from);
        box.toEdit()->setValue(to);
        QCOMPARE(box.countLabel()->text(), QStringLiteral("Umschläge: %1").arg(count));
        QTEST(box.recordEdit()->text(), "shown");
        QCOMPARE(box.okButton()->isEnabled(), from <= to);
        QCOMPARE(box.rangeLabel()->isVisibleTo(&box), from > to);
        box.accept();
        const TRunAnswer a = box.answer();
        QVERIFY(a.accepted);
        QCOMPARE(a.firstLineIsHeader, header);
        QCOMPARE(a.options, (TRunOptions{header, skip, from, to}));
        QCOMPARE(a.destination, TRunDestination::JobPerEnvelope);
    }

    void steppingShowsEachRecord()
    {
        auto source = open(Csv);
        TRunBox box(question(source.get()));
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QCOMPARE(recipient(box), QStringLiteral("Name\r\nOrt\r\n"));
        QVERIFY(!box.previousButton()->isEnabled());
        box.nextButton()->click();
        QCOMPARE(recipient(box), QStringLiteral("Meier\r\n\r\nHauptstr. 5\r\n"));
        QTest::keyClick(&box, Qt::Key_PageDown);
        QCOMPARE(box.recordEdit()->value(), 3);
        QCOMPARE(recipient(box), QStringLiteral(" \r\n"));
        QVERIFY(!box.noLineLabel()->isVisible());
        // Blank fields left out: the same record gives no line, and the box says so.
        box.skipBox()->click();
        QCOMPARE(recipient(box), QString());
        QVERIFY(box.noLineLabel()->isVisible());
        QTest::keyClick(&box, Qt::Key_PageUp);
        QCOMPARE(recipient(box), QStringLiteral("Meier\r\nHauptstr. 5\r\n"));
        QVERIFY(!box.noLineLabel()->isVisible());
        // A typed number jumps; Enter there does not start the run.
        box.recordEdit()->setFocus();
        box.recordEdit()->selectAll();
        QTest::keyClicks(box.recordEdit(), QStringLiteral("4"));
        QTest::keyClick(box.recordEdit(), Qt::Key_Return);
        QVERIFY(box.isVisible());
        QCOMPARE(recipient(box), QStringLiteral("Schulz\r\nWeg 1\r\n"));
        QVERIFY(!box.nextButton()->isEnabled());
        QTest::keyClick(&box, Qt::Key_PageDown);
        QCOMPARE(box.recordEdit()->value(), 4);
        // "Von" shows the run's first envelope.
        box.fromEdit()->setValue(2);
        QCOMPARE(box.recordEdit()->value(), 2);
    }

    void separatorChoiceRecounts()
    {
        auto source = open("Meier,Weg 1;x\nSchulz,Hof 2;y\n\"A,B\",C\n");
        TRunBox box(question(source.get()));
        QVERIFY(box.separatorChoice());
        QVERIFY(!box.sheetChoice() && !box.addressChoice());
        box.separatorChoice()->setCurrentIndex(
                box.separatorChoice()->findData(int(sources::CsvSeparator::Semicolon)));
        QCOMPARE(recipient(box), QStringLiteral("Meier,Weg 1\r\nx\r\n"));
        box.fromEdit()->setValue(2);
        box.separatorChoice()->setCurrentIndex(
                box.separatorChoice()->findData(int(sources::CsvSeparator::Comma)));
        // Other records now: the range is the whole source again.
        QCOMPARE(box.fromEdit()->value(), 1);
        QCOMPARE(box.countLabel()->text(), QStringLiteral("Umschläge: 3"));
        QCOMPARE(recipient(box), QStringLiteral("Meier\r\nWeg 1;x\r\n"));
        box.showRecord(3);
        QCOMPARE(recipient(box), QStringLiteral("A,B\r\nC\r\n"));
    }

    void addressKindAndContactsWithoutAddress()
    {
        auto source
                = open("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Alt\r\nADR;TYPE=work:;;Weg 1;Berlin;;10115;\r\n"
                       "ADR;TYPE=home:;;Haus 2;Potsdam;;14467;\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bert Bar\r\nEND:VCARD\r\n");
        TRunBox box(question(source.get(), TRunKind::CsvList));
        QVERIFY(box.addressChoice() && !box.separatorChoice());
        QVERIFY(!box.destinationButton(TRunDestination::OneJob));
        QCOMPARE(box.sourceNote()->text(), QStringLiteral("1 Kontakte ohne Postanschrift"));
        QCOMPARE(box.sourceNote()->toolTip(), QStringLiteral("Bert Bar"));
        box.addressChoice()->setCurrentIndex(box.addressChoice()->findData(int(sources::AddressKind::Home)));
        QVERIFY(recipient(box).contains(QStringLiteral("Haus 2")));
        box.addressChoice()->setCurrentIndex(box.addressChoice()->findData(int(sources::AddressKind::Work)));
        QVERIFY(recipient(box).contains(QStringLiteral("Weg 1")));
    }

    void choicesAreRemembered_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("destination");
        QTest::newRow("OK, one job") << true << int(TRunDestination::OneJob);
        QTest::newRow("OK, PDF") << true << int(TRunDestination::PdfFile);
        QTest::newRow("cancel keeps nothing") << false << int(TRunDestination::PdfFile);
    }
    void choicesAreRemembered()
    {
        QFETCH(bool, accept);
        QFETCH(int, destination);
        auto source = open(Csv);
        {
            TRunBox box(question(source.get()));
            box.headerBox()->click();
            box.skipBox()->click();
            box.fromEdit()->setValue(2);
            box.destinationButton(TRunDestination(destination))->click();
            accept ? box.accept() : box.reject();
        }
        TRunBox again(question(source.get()));
        QCOMPARE(again.headerBox()->isChecked(), accept);
        QCOMPARE(again.skipBox()->isChecked(), accept);
        QCOMPARE(again.fromEdit()->value(), 1);
        QVERIFY(again.destinationButton(accept ? TRunDestination(destination)
                                               : TRunDestination::JobPerEnvelope)
                        ->isChecked());
        // A run without the header choice neither takes nor keeps it.
        TRunQuestion marked = question(source.get(), TRunKind::MarkedPrint);
        marked.offerHeader = false;
        TRunBox third(marked);
        QVERIFY(!third.answer().options.firstLineIsHeader);
    }

    // The preview's envelope is the one the run prints for that record, and draws the same.
    void recordEnvelopeIsTheRunsEnvelope_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("skip");
        QTest::addColumn<QString>("recipient");
        QTest::newRow("plain") << QByteArray("Meier;Hauptstr. 5;12345 Berlin") << false
                               << "Meier\r\nHauptstr. 5\r\n12345 Berlin\r\n";
        QTest::newRow("empty field") << QByteArray("Firma Meier;;Hauptstr. 5;12345 Berlin;") << false
                                     << "Firma Meier\r\n\r\nHauptstr. 5\r\n12345 Berlin\r\n";
        QTest::newRow("empty field left out")
                << QByteArray("Firma Meier;  ;Hauptstr. 5") << true << "Firma Meier\r\nHauptstr. 5\r\n";
        QTest::newRow("escaped break")
                << QByteArray("Herrn\\r\\nDr. Meier;Weg 1") << true << "Herrn\r\nDr. Meier\r\nWeg 1\r\n";
    }
    void recordEnvelopeIsTheRunsEnvelope()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, skip);
        auto source = open(line + '\n');
        EnvelopeValue design;
        design.sender = QStringLiteral("Absender");
        design.infoLine = QStringLiteral("Info");
        const EnvelopeValue e = RecordEnvelope(design, source->record(0), skip);
        QTEST(e.recipient, "recipient");
        TSourceRecords run(*source, TRunOptions{false, skip, 1, 0});
        TMergeRecord record;
        QVERIFY(run.next(record));
        QCOMPARE(e.recipient, record.recipient);

        RenderTarget t{96, 600, 300, 100, true, 600, 300, 96};
        QImage viaRecord(600, 300, QImage::Format_RGB32), viaRun(600, 300, QImage::Format_RGB32);
        viaRecord.fill(Qt::white);
        viaRun.fill(Qt::white);
        {
            QPainter p(&viaRecord);
            DrawRecordEnvelope(p, t, design, source->record(0), skip);
        }
        {
            QPainter p(&viaRun);
            DrawEnvelope(p, EnvelopeForRecord(design, record), t);
        }
        QCOMPARE(viaRecord, viaRun);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestRunBoxSource)
#include "tst_runboxsource.moc"
