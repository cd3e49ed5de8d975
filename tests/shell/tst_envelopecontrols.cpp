// The main window's controls read once into one value, and what the renderer and the settings file
// each take from it.

#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/EnvelopeControls.h"
#include "app/FilenameEdit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/Preview.h"
#include "app/RxSpinEdit.h"
#include "app/SettingsFromControls.h"
#include "core/SettingsFile.h"
#include "render/EnvelopeRenderer.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSignalBlocker>

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

SpinReading readingOf(const EnvelopeControls &c, int which)
{
    const SpinReading readings[]
            = {c.margin, c.pictureMargin, c.pictureWidth, c.recipientAcross, c.recipientDown};
    return readings[which];
}

double drawnOf(const EnvelopeValue &e, int which)
{
    const double drawn[]
            = {e.margin, e.pictureGap, e.pictureWidth, e.recipientLeftPercent, e.recipientTopPercent};
    return drawn[which];
}

double storedOf(const TEnvelopeSettings &s, int which)
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

        EnvelopeControls expected;
        expected.recipient = QStringLiteral("Erika Mustermann\r\nHauptstraße 1");
        expected.sender = QStringLiteral("Max Absender");
        expected.pictureFile = QStringLiteral("/tmp/logo.png");
        expected.infoLine = QStringLiteral("Einschreiben");
        expected.recipientFont.size = 14;
        expected.senderFont.name = QStringLiteral("DejaVu Sans");
        expected.margin = {12.5, 12.5};
        expected.pictureMargin = {3.25, 3.25};
        expected.pictureWidth = {40, 40};
        expected.recipientAcross = {62.5, 62.5};
        expected.recipientDown = {40.25, 40.25};
        expected.inchMode = false;
        expected.paperFormat = 3;
        expected.picturePosition = 2;
        expected.portrait = true;
        expected.keepListOpen = true;
        QVERIFY(MainForm->envelopeControls() == expected);

        MainForm->ComboBox1->setCurrentIndex(-1);
        MainForm->language = 1;
        const EnvelopeControls inches = MainForm->envelopeControls();
        QCOMPARE(inches.paperFormat, -1);
        QVERIFY(inches.inchMode);
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

        const EnvelopeControls c = MainForm->envelopeControls();
        QCOMPARE(readingOf(c, which), (SpinReading{7.25, held}));
        QCOMPARE(drawnOf(EnvelopeFromControls(*MainForm), which), 7.25);
        QCOMPARE(storedOf(SettingsFromControls(c, {}), which), held);

        const QString path = TestEnv->path(QStringLiteral("typed.kvt"));
        MainForm->SaveOptionsFile(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const TSettingsReadResult r = ReadSettingsFile(file);
        QVERIFY(!r.error);
        QCOMPARE(storedOf(r.values, which), held);

        // Typed as a user types, the field takes the text at once and both readers agree.
        field->editor()->setText(QStringLiteral("8.5"));
        QCOMPARE(readingOf(MainForm->envelopeControls(), which), (SpinReading{8.5, 8.5}));
    }

    // The file holds millimetres: the three lengths shown in inches are converted, the two
    // percentages never; the product is rounded once, from extended precision.
    void storedLengths_data()
    {
        QTest::addColumn<double>("held");
        QTest::addColumn<bool>("inchMode");
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("percent");
        QTest::newRow("millimetres") << 12.5 << false << 12.5 << 12.5;
        QTest::newRow("0.59 in") << 0.59 << true << 0x1.df8d12018a43bp+3 << 0.59;
        QTest::newRow("1 in") << 1.0 << true << 25.39995 << 1.0;
        // Rounded twice (the double product) this would be 0x1.ed5cbe4de3b89p+11.
        QTest::newRow("155.39 in") << 155.39 << true << 0x1.ed5cbe4de3b8ap+11 << 155.39;
        QTest::newRow("zero") << 0.0 << true << 0.0 << 0.0;
    }
    void storedLengths()
    {
        QFETCH(double, held);
        QFETCH(bool, inchMode);
        QFETCH(double, length);
        QFETCH(double, percent);
        EnvelopeControls c;
        c.inchMode = inchMode;
        // The shown numbers differ, so a reader of the wrong one fails.
        c.margin = c.pictureMargin = c.pictureWidth = c.recipientAcross = c.recipientDown = {held + 1, held};
        const TEnvelopeSettings s = SettingsFromControls(c, {QStringLiteral("A"), QString()});
        QCOMPARE(s.margin, length);
        QCOMPARE(s.pictureMargin, length);
        QCOMPARE(s.pictureWidth, length);
        QCOMPARE(s.recipientAcross, percent);
        QCOMPARE(s.recipientDown, percent);
        QCOMPARE(s.addresses, (QStringList{QStringLiteral("A"), QString()}));

        // The renderer takes the shown numbers in the shown unit.
        const EnvelopeValue e = EnvelopeToDraw(c);
        QCOMPARE(e.margin, held + 1);
        QCOMPARE(e.pictureGap, held + 1);
        QCOMPARE(e.pictureWidth, held + 1);
        QCOMPARE(e.recipientLeftPercent, held + 1);
        QCOMPARE(e.recipientTopPercent, held + 1);
        QCOMPARE(e.inchMode, inchMode);
    }

    // Everything else goes through unchanged, each to its own field.
    void otherFieldsPassThrough()
    {
        EnvelopeControls c;
        c.recipient = QStringLiteral("Empfänger");
        c.sender = QStringLiteral("Absender");
        c.pictureFile = QStringLiteral("bild.png");
        c.infoLine = QStringLiteral("Info");
        c.recipientFont.name = QStringLiteral("Liberation Serif");
        c.senderFont.size = 9;
        c.paperFormat = 24;
        c.picturePosition = 0;
        c.portrait = true;
        c.keepListOpen = true;

        const TEnvelopeSettings s = SettingsFromControls(c, {});
        TEnvelopeSettings expected;
        expected.recipient = c.recipient;
        expected.sender = c.sender;
        expected.pictureFile = c.pictureFile;
        expected.infoLine = c.infoLine;
        expected.recipientFont = c.recipientFont;
        expected.senderFont = c.senderFont;
        expected.paperFormat = 24;
        expected.picturePosition = 0;
        expected.portrait = true;
        expected.keepListOpen = true;
        QVERIFY(s == expected);

        const EnvelopeValue e = EnvelopeToDraw(c);
        QCOMPARE(e.recipient, c.recipient);
        QCOMPARE(e.sender, c.sender);
        QCOMPARE(e.pictureField, c.pictureFile);
        QCOMPARE(e.infoLine, c.infoLine);
        QCOMPARE(e.recipientFont, c.recipientFont);
        QCOMPARE(e.senderFont, c.senderFont);
        QCOMPARE(e.picturePosition, 0);
    }

private:
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
};

KUVERTINO_GUI_TEST_MAIN(TstEnvelopeControls)
#include "tst_envelopecontrols.moc"
