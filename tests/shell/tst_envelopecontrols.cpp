// The main window as a view of its document: what the controls put into the document, what the
// renderer draws while a length is typed, and what the settings file stores.

#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/FilenameEdit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/Preview.h"
#include "app/RxSpinEdit.h"
#include "core/EnvelopeDocument.h"
#include "core/SettingsFile.h"
#include "render/EnvelopeRenderer.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSignalSpy>

extern IsolatedEnvironment *TestEnv;

namespace {

// The five spin fields of the envelope, in one order for the rows below.
TRxSpinEdit *spinField(int which)
{
    TRxSpinEdit *const fields[] = {MainForm->RandEd,
                                   MainForm->BildRandEd,
                                   MainForm->BildBreiteEd,
                                   MainForm->EmpfProEd,
                                   MainForm->EmpfPro2Ed};
    return fields[which];
}

double storedOf(const EnvelopeValue &s, int which)
{
    const double stored[] = {s.margin, s.pictureMargin, s.pictureWidth, s.recipientAcross, s.recipientDown};
    return stored[which];
}

} // namespace

class TstEnvelopeControls : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    void readerTakesEveryControl()
    {
        MainForm->Memo1->setText(QStringLiteral("Erika Mustermann\r\nHauptstraße 1"));
        MainForm->Memo2->setText(QStringLiteral("Max Absender"));
        MainForm->FilenameEdit1->setText(QStringLiteral("/tmp/logo.png"));
        MainForm->InfoEd->setText(QStringLiteral("Einschreiben"));
        MainForm->FontDialog1->Font.size = 14;
        MainForm->FontDialog2->Font.name = QStringLiteral("DejaVu Sans");
        MainForm->RandEd->setValue(12.5);
        MainForm->BildRandEd->setValue(3.25);
        MainForm->BildBreiteEd->setValue(40);
        MainForm->EmpfProEd->setValue(62.5);
        MainForm->EmpfPro2Ed->setValue(40.25);
        MainForm->ComboBox1->setCurrentIndex(3);
        MainForm->ComboBox2->setCurrentIndex(2);
        MainForm->HochformatCheck->setChecked(true);
        MainForm->Adresslisteimmeroffenhalten1->setChecked(true);

        TEnvelopeSettings expected;
        expected.recipient = QStringLiteral("Erika Mustermann\r\nHauptstraße 1");
        expected.sender = QStringLiteral("Max Absender");
        expected.pictureFile = QStringLiteral("/tmp/logo.png");
        expected.infoLine = QStringLiteral("Einschreiben");
        expected.recipientFont.size = 14;
        expected.senderFont.name = QStringLiteral("DejaVu Sans");
        expected.margin = 12.5;
        expected.pictureMargin = 3.25;
        expected.pictureWidth = 40;
        expected.recipientAcross = 62.5;
        expected.recipientDown = 40.25;
        expected.paperFormat = 3;
        expected.picturePosition = 2;
        expected.portrait = true;
        expected.keepListOpen = true;
        MainForm->storeInDocument();
        QVERIFY(MainForm->Document->contents() == expected);

        // In inch mode the fields' numbers are inches; the document keeps millimetres.
        MainForm->ComboBox1->setCurrentIndex(-1);
        MainForm->language = 1;
        MainForm->storeInDocument();
        const EnvelopeValue &inches = MainForm->Document->envelope();
        QCOMPARE(inches.paperFormat, -1);
        QCOMPARE(inches.margin, TEnvelopeDocument::Millimetres(12.5, true));
        QCOMPARE(inches.recipientAcross, 62.5);
    }

    // Text put into a field's editor without the field reading it: the drawing follows the text, the
    // settings file keeps the value the field holds.
    void typedTextIsDrawnHeldValueIsStored_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<double>("held");
        QTest::newRow("RandEd") << 0 << 15.0;
        QTest::newRow("BildRandEd") << 1 << 5.0;
        QTest::newRow("BildBreiteEd") << 2 << 20.0;
        QTest::newRow("EmpfProEd") << 3 << 50.0;
        QTest::newRow("EmpfPro2Ed") << 4 << 50.0;
    }
    void typedTextIsDrawnHeldValueIsStored()
    {
        QFETCH(int, which);
        QFETCH(double, held);
        TRxSpinEdit *field = spinField(which);
        field->setLocale(QLocale::c());
        {
            const QSignalBlocker quiet(field->editor());
            field->editor()->setText(QStringLiteral("7.25"));
        }
        QCOMPARE(field->value(), held);

        QCOMPARE(storedOf(MainForm->envelope(), which), 7.25);
        QCOMPARE(storedOf(MainForm->Document->envelope(), which), held);

        const QString path = TestEnv->path(QStringLiteral("typed.kvt"));
        MainForm->SaveOptionsFile(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const TSettingsReadResult r = ReadSettingsFile(file);
        QVERIFY(!r.error);
        QCOMPARE(storedOf(r.values, which), held);

        // Typed as a user types, the field takes the text at once and the document follows.
        field->editor()->setText(QStringLiteral("8.5"));
        QCOMPARE(storedOf(MainForm->Document->envelope(), which), 8.5);
        QCOMPARE(storedOf(MainForm->envelope(), which), 8.5);
    }

    // The document holds millimetres: a length shown in inches is converted, the product rounded
    // once, from extended precision.
    void storedLengths_data()
    {
        QTest::addColumn<double>("held");
        QTest::addColumn<bool>("inchMode");
        QTest::addColumn<double>("length");
        QTest::newRow("millimetres") << 12.5 << false << 12.5;
        QTest::newRow("0.59 in") << 0.59 << true << 0x1.df8d12018a43bp+3;
        QTest::newRow("1 in") << 1.0 << true << 25.39995;
        // Rounded twice (the double product) this would be 0x1.ed5cbe4de3b89p+11.
        QTest::newRow("155.39 in") << 155.39 << true << 0x1.ed5cbe4de3b8ap+11;
        QTest::newRow("zero") << 0.0 << true << 0.0;
    }
    void storedLengths()
    {
        QFETCH(double, held);
        QFETCH(bool, inchMode);
        QFETCH(double, length);
        QCOMPARE(TEnvelopeDocument::Millimetres(held, inchMode), length);
    }

    // A cut file changes only the fields it held whole; the address list only when its section began.
    void cutReadChangesOnlyWhatItHeld_data()
    {
        QTest::addColumn<int>("fieldsRead");
        QTest::newRow("nothing") << 0;
        QTest::newRow("up to the margin") << int(FieldMargin);
        QTest::newRow("into the list") << int(FieldAddressCount);
        QTest::newRow("whole") << int(FieldCount);
    }
    void cutReadChangesOnlyWhatItHeld()
    {
        QFETCH(int, fieldsRead);
        TEnvelopeDocument document;
        document.setAddresses({QStringLiteral("alt")});
        TSettingsReadResult r;
        r.values.recipient = QStringLiteral("neu");
        r.values.margin = 7;
        r.values.portrait = true;
        r.values.addresses = {QStringLiteral("A")};
        r.values.keepListOpen = true;
        r.fieldsRead = fieldsRead;
        QSignalSpy changed(&document, &TEnvelopeDocument::envelopeChanged);
        document.apply(r);
        QCOMPARE(document.envelope().recipient, fieldsRead >= FieldRecipient ? "neu" : "");
        QCOMPARE(document.envelope().margin, fieldsRead >= FieldMargin ? 7.0 : 15.0);
        QCOMPARE(document.envelope().portrait, fieldsRead >= FieldPortrait);
        QCOMPARE(document.addresses(), QStringList{fieldsRead >= FieldAddressCount ? "A" : "alt"});
        QCOMPARE(document.keepListOpen(), fieldsRead >= FieldKeepListOpen);
        QCOMPARE(changed.count(), fieldsRead >= FieldRecipient ? 1 : 0);
    }

private:
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
};

KUVERTINO_GUI_TEST_MAIN(TstEnvelopeControls)
#include "tst_envelopecontrols.moc"
