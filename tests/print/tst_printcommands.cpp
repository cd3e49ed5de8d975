// The print commands on the real windows, printing to the built-in PDF printer in a temporary folder:
// one job per envelope, copies, the copy-count dialog, the set-up dialog, the job title, every paper
// format, and errors ending a run.

#include "PdfCheck.h"
#include "ScriptedDialogs.h"
#include "controls/BitBtnXP.h"
#include "controls/Memo.h"
#include "controls/RxSpinEdit.h"
#include "print/KopienFUnit.h"
#include "print/PrintCommands.h"
#include "print/Printer.h"
#include "render/PaperFormats.h"
#include "shell/MainUnit.h"
#include "translate/translateunit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QStandardPaths>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

class TstPrintCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void oneEnvelopeIsOneJobOfOnePage();
    void buttonAndMenuPrint();
    void copiesMakeSeparateJobs();
    void copiesDialogKeepsItsCountAndFocus();
    void closeBoxPrintsNothing();
    void textThatIsNoNumberPrintsOneCopy();
    void copyCountRule_data();
    void copyCountRule();
    void rendererFollowsThePageShape_data();
    void rendererFollowsThePageShape();
    void squarePagePrintsSquare();
    void setupDialogOrientationWinsOverPortraitBox();
    void cancelledSetupKeepsThePrinter();
    void titleIsMessage9InTheActiveLanguage();
    void everyPaperFormat_data();
    void everyPaperFormat();
    void refusedJobEndsTheCopiesRun();
    void copiesDialogControls();

private:
    QStringList pdfFiles() const;
    void choose(int entry, bool portrait);

    QTemporaryDir m_program;
    std::unique_ptr<QTemporaryDir> m_out;
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
};

QStringList TstPrintCommands::pdfFiles() const
{
    return QDir(m_out->path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

void TstPrintCommands::choose(int entry, bool portrait)
{
    MainForm->HochformatCheck->setChecked(portrait);
    MainForm->ComboBox1->setCurrentIndex(entry);
    MainForm->ComboBox1Change();
}

void TstPrintCommands::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_program.isValid());
    SetProgramFolderForTests(m_program.path());
    m_dialogs = std::make_unique<ScriptedDialogsGuard>();
    // The built-in printer before the windows exist, so start-up applies its format there.
    m_out = std::make_unique<QTemporaryDir>();
    TPrinter::setPdfOutputFolder(m_out->path());
    Printer().useBuiltInPdfPrinter();
    CreateApplicationWindows();
    QVERIFY(MainForm && KopienForm);
}

void TstPrintCommands::init()
{
    m_out = std::make_unique<QTemporaryDir>();
    QVERIFY(m_out->isValid());
    TPrinter::setPdfOutputFolder(m_out->path());
    if (!Printer().isBuiltInPdfPrinter())
        Printer().useBuiltInPdfPrinter();
    MainForm->language = 0;
    choose(11, false);
    (*m_dialogs)->messages.clear();
    (*m_dialogs)->modalDialogs.clear();
    (*m_dialogs)->printerDialogs = 0;
}

void TstPrintCommands::cleanup()
{
    (*m_dialogs)->modalAnswers.clear();
    (*m_dialogs)->printerAnswers.clear();
}

void TstPrintCommands::cleanupTestCase()
{
    DestroyApplicationWindows();
    m_dialogs.reset();
    TPrinter::setPdfOutputFolder(QString());
}

void TstPrintCommands::oneEnvelopeIsOneJobOfOnePage()
{
    // Start-up state: C6 in landscape; empty addresses print all the same.
    MainForm->Memo1->setText(QString());
    MainForm->Memo2->setText(QString());
    MainForm->Drucken1Click();
    QCOMPARE(pdfFiles(), QStringList{QStringLiteral("Plikato-1.pdf")});
    const PdfFacts facts = ReadPdf(m_out->filePath(QStringLiteral("Plikato-1.pdf")));
    QVERIFY(facts.ok);
    QCOMPARE(facts.pages, 1);
    QCOMPARE(facts.title, QStringLiteral("Plikato"));
    QVERIFY2(SameMm(facts.firstPageMm, QSizeF(162, 114)),
             qPrintable(QStringLiteral("%1 x %2")
                                .arg(facts.firstPageMm.width())
                                .arg(facts.firstPageMm.height())));
    // Printing asks nothing.
    QCOMPARE((*m_dialogs)->messages.size(), 0);
    QCOMPARE((*m_dialogs)->modalDialogs.size(), 0);
    QCOMPARE((*m_dialogs)->printerDialogs, 0);
    QVERIFY(!Printer().printing());
}

void TstPrintCommands::buttonAndMenuPrint()
{
    MainForm->BitBtn7->click();
    QCOMPARE(pdfFiles().size(), 1);
    MainForm->Drucken1->trigger();
    QCOMPARE(pdfFiles(), (QStringList{QStringLiteral("Plikato-1.pdf"), QStringLiteral("Plikato-2.pdf")}));
}

void TstPrintCommands::copiesMakeSeparateJobs()
{
    (*m_dialogs)->modalAnswers.enqueue([](QDialog *d) {
        auto *form = qobject_cast<TKopienForm *>(d);
        form->CopiesEd->setValue(3);
        form->BitBtn1->click();
        return form->result();
    });
    MainForm->MehrereKopiendrucken1Click();
    QCOMPARE((*m_dialogs)->modalDialogs, QList<QDialog *>{KopienForm});
    QCOMPARE(pdfFiles(),
             (QStringList{QStringLiteral("Plikato-1.pdf"),
                          QStringLiteral("Plikato-2.pdf"),
                          QStringLiteral("Plikato-3.pdf")}));
    for (const QString &f : pdfFiles()) {
        const PdfFacts facts = ReadPdf(m_out->filePath(f));
        QCOMPARE(facts.pages, 1);
        QCOMPARE(facts.title, QStringLiteral("Plikato"));
        QVERIFY(SameMm(facts.firstPageMm, QSizeF(162, 114)));
    }
    // The printer's own copy count is not used: every job is one copy.
    QCOMPARE(Printer().qprinter().copyCount(), 1);
}

void TstPrintCommands::copiesDialogKeepsItsCountAndFocus()
{
    (*m_dialogs)->modalAnswers.enqueue([](QDialog *d) {
        auto *form = qobject_cast<TKopienForm *>(d);
        form->CopiesEd->setValue(2);
        form->accept();
        return form->result();
    });
    MainForm->MehrereKopiendrucken1Click();
    QCOMPARE(pdfFiles().size(), 2);

    double shown = -1;
    QWidget *focused = nullptr;
    (*m_dialogs)->modalAnswers.enqueue([&](QDialog *d) {
        auto *form = qobject_cast<TKopienForm *>(d);
        shown = form->CopiesEd->value();
        focused = form->focusWidget();
        form->reject();
        return form->result();
    });
    MainForm->MehrereKopiendrucken1Click();
    QCOMPARE(shown, 2.0);
    QCOMPARE(focused, static_cast<QWidget *>(KopienForm->CopiesEd));
    QCOMPARE(pdfFiles().size(), 2);
    QCOMPARE(KopienForm->CopiesEd->value(), 2.0);
}

void TstPrintCommands::closeBoxPrintsNothing()
{
    (*m_dialogs)->modalAnswers.enqueue([](QDialog *d) {
        auto *form = qobject_cast<TKopienForm *>(d);
        form->CopiesEd->setValue(5);
        form->close();
        return form->result();
    });
    MainForm->MehrereKopiendrucken1Click();
    QCOMPARE(pdfFiles(), QStringList());
    QCOMPARE((*m_dialogs)->messages.size(), 0);
}

void TstPrintCommands::textThatIsNoNumberPrintsOneCopy()
{
    (*m_dialogs)->modalAnswers.enqueue([](QDialog *d) {
        auto *form = qobject_cast<TKopienForm *>(d);
        form->CopiesEd->setValue(7);
        form->CopiesEd->findChild<QLineEdit *>()->setText(QStringLiteral("viele"));
        form->accept();
        return form->result();
    });
    MainForm->MehrereKopiendrucken1Click();
    QCOMPARE(pdfFiles(), QStringList{QStringLiteral("Plikato-1.pdf")});
}

void TstPrintCommands::copyCountRule_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("jobs");
    QTest::newRow("one") << 1.0 << 1;
    QTest::newRow("truncated") << 3.99 << 3;
    QTest::newRow("largest") << 10000.0 << 10000;
    QTest::newRow("below one") << 0.7 << 0;
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("negative") << -4.0 << 0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0;
}

void TstPrintCommands::copyCountRule()
{
    QFETCH(double, value);
    QFETCH(int, jobs);
    QCOMPARE(CopyCountFromValue(value), jobs);
}

void TstPrintCommands::rendererFollowsThePageShape_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<bool>("portrait");
    QTest::newRow("narrower than tall") << 5385 << 7653 << true;
    QTest::newRow("square") << 10393 << 10393 << false;
    QTest::newRow("wider than tall") << 7653 << 5385 << false;
    QTest::newRow("one pixel narrower") << 999 << 1000 << true;
}

void TstPrintCommands::rendererFollowsThePageShape()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(bool, portrait);
    QCOMPARE(UsePortraitRenderer(w, h), portrait);
}

void TstPrintCommands::squarePagePrintsSquare()
{
    choose(14, true); // INVITE, 220 x 220
    QCOMPARE(Printer().pageWidth(), Printer().pageHeight());
    MainForm->Drucken1Click();
    const PdfFacts facts = ReadPdf(m_out->filePath(QStringLiteral("Plikato-1.pdf")));
    QCOMPARE(facts.pages, 1);
    QVERIFY(SameMm(facts.firstPageMm, QSizeF(220, 220)));
}

void TstPrintCommands::setupDialogOrientationWinsOverPortraitBox()
{
    choose(11, true);
    QVERIFY(Printer().pageWidth() < Printer().pageHeight());
    // The user switches to landscape in the set-up dialog and confirms.
    (*m_dialogs)->printerAnswers.enqueue([](TPrinter &p) {
        p.qprinter().setPageOrientation(QPageLayout::Landscape);
        p.syncSettingsFromPrinter();
        return true;
    });
    MainForm->Druckereinrichten1Click();
    QCOMPARE((*m_dialogs)->printerDialogs, 1);
    QVERIFY(MainForm->HochformatCheck->isChecked());
    MainForm->Drucken1Click();
    const PdfFacts facts = ReadPdf(m_out->filePath(QStringLiteral("Plikato-1.pdf")));
    QCOMPARE(facts.pages, 1);
    QVERIFY2(SameMm(facts.firstPageMm, QSizeF(162, 114)),
             qPrintable(QStringLiteral("%1 x %2")
                                .arg(facts.firstPageMm.width())
                                .arg(facts.firstPageMm.height())));
    // The set-up button is bound to the same command.
    MainForm->BitBtn6->click();
    QCOMPARE((*m_dialogs)->printerDialogs, 2);
}

void TstPrintCommands::cancelledSetupKeepsThePrinter()
{
    choose(13, true);                    // DL portrait
    MainForm->Druckereinrichten1Click(); // no answer queued: cancelled
    QCOMPARE((*m_dialogs)->printerDialogs, 1);
    MainForm->Drucken1Click();
    QVERIFY(SameMm(ReadPdf(m_out->filePath(QStringLiteral("Plikato-1.pdf"))).firstPageMm, QSizeF(110, 220)));
}

void TstPrintCommands::titleIsMessage9InTheActiveLanguage()
{
    const QString german = MessageText(9);
    QCOMPARE(german, QStringLiteral("Plikato"));
    int row = -1;
    for (int r = 0; r < TranslationRowCount(); ++r) {
        if (TranslationCell(r, 0) == german)
            row = r;
    }
    QVERIFY(row >= 0);
    SetTranslationCell(row, 1, QStringLiteral("Plikato EN"));
    MainForm->language = 1;
    MainForm->Drucken1Click();
    MainForm->language = 0;
    MainForm->Drucken1Click();
    SetTranslationCell(row, 1, QString());
    QCOMPARE(pdfFiles(), (QStringList{QStringLiteral("Plikato EN-1.pdf"), QStringLiteral("Plikato-1.pdf")}));
    QCOMPARE(ReadPdf(m_out->filePath(QStringLiteral("Plikato EN-1.pdf"))).title,
             QStringLiteral("Plikato EN"));
    QCOMPARE(ReadPdf(m_out->filePath(QStringLiteral("Plikato-1.pdf"))).title, QStringLiteral("Plikato"));
}

void TstPrintCommands::everyPaperFormat_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<double>("shortMm");
    QTest::addColumn<double>("longMm");

    // Nominal size of the paper each entry requests, short side first.
    const struct
    {
        double s, l;
    } nominal[PaperFormatCount] = {
            {104.775, 241.3},  {114.3, 263.525}, {120.65, 279.4}, {127, 292.1},
            {98.425, 225.425}, {250, 353},       {176, 250},      {125, 176},
            {324, 458},        {229, 324},       {162, 229},      {114, 162},
            {114, 229},        {110, 220},       {220, 220},      {110, 230},
            {98.425, 190.5},   {92.075, 165.1},  {210, 297},      {148, 210},
            {105, 148},        {257, 364},       {182, 257},      {125, 176},
            {210, 297}, // the empty entry: the printer's default paper (the built-in printer's A4)
    };
    for (int i = 0; i < PaperFormatCount; ++i) {
        for (bool portrait : {false, true}) {
            QTest::addRow("%d %s", i, portrait ? "portrait" : "landscape")
                    << i << portrait << nominal[i].s << nominal[i].l;
        }
    }
}

void TstPrintCommands::everyPaperFormat()
{
    QFETCH(int, entry);
    QFETCH(bool, portrait);
    QFETCH(double, shortMm);
    QFETCH(double, longMm);

    choose(entry, portrait);
    const QSizeF expected = portrait ? QSizeF(shortMm, longMm) : QSizeF(longMm, shortMm);
    // The page the preview and the print routine read: the whole sheet at 1200 dpi. Qt keeps the
    // standard papers in whole points, two of them (C3, C6/5) in rounded inches: within 1 mm.
    QVERIFY(qAbs(Printer().pageWidth() / 1200.0 * 25.4 - expected.width()) <= 1.0);
    QVERIFY(qAbs(Printer().pageHeight() / 1200.0 * 25.4 - expected.height()) <= 1.0);
    QCOMPARE(UsePortraitRenderer(Printer().pageWidth(), Printer().pageHeight()),
             portrait && shortMm < longMm);
    MainForm->Drucken1Click();
    const PdfFacts facts = ReadPdf(Printer().lastOutputFile());
    QCOMPARE(facts.pages, 1);
    QVERIFY2(SameMm(facts.firstPageMm, expected, 1.0),
             qPrintable(QStringLiteral("%1 x %2")
                                .arg(facts.firstPageMm.width())
                                .arg(facts.firstPageMm.height())));
}

void TstPrintCommands::refusedJobEndsTheCopiesRun()
{
    const QString blocker = m_out->filePath(QStringLiteral("blocker"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    TPrinter::setPdfOutputFolder(blocker + QStringLiteral("/Kuvertino"));
    (*m_dialogs)->modalAnswers.enqueue([](QDialog *d) {
        auto *form = qobject_cast<TKopienForm *>(d);
        form->CopiesEd->setValue(3);
        form->accept();
        return form->result();
    });
    Guarded([] { MainForm->MehrereKopiendrucken1Click(); });
    // One report for the whole run, not one per copy, and nothing printed.
    QCOMPARE((*m_dialogs)->messages.size(), 1);
    QCOMPARE((*m_dialogs)->messages.first().icon, TMsgIcon::Error);
    QVERIFY2((*m_dialogs)->messages.first().text.contains(QStringLiteral("blocker")),
             qPrintable((*m_dialogs)->messages.first().text));
    QVERIFY(!Printer().printing());
    QCOMPARE(pdfFiles(), QStringList());

    // The print command on its own reports the same way and the printer is usable afterwards.
    Guarded([] { MainForm->Drucken1Click(); });
    QCOMPARE((*m_dialogs)->messages.size(), 2);
    TPrinter::setPdfOutputFolder(m_out->path());
    MainForm->Drucken1Click();
    QCOMPARE(pdfFiles(), QStringList{QStringLiteral("Plikato-1.pdf")});
}

void TstPrintCommands::copiesDialogControls()
{
    TKopienForm *form = KopienForm;
    QCOMPARE(form->windowTitle(), QStringLiteral("Anzahl der Kopien wählen"));
    QCOMPARE(form->Label1->text(), QStringLiteral("Anzahl der Kopien zum Drucken:"));
    QCOMPARE(form->CopiesEd->minimum(), 1.0);
    QCOMPARE(form->CopiesEd->maximum(), 10000.0);
    QCOMPARE(form->CopiesEd->singleStep(), 1.0);
    QCOMPARE(form->CopiesEd->decimals(), 0);
    QVERIFY(form->CopiesEd->alignment() & Qt::AlignRight);
    QCOMPARE(form->CopiesEd->width(), 121);
    QCOMPARE(form->BitBtn1->text(), QStringLiteral("OK"));
    QVERIFY(!form->BitBtn1->icon().isNull());
    QCOMPARE(form->size(), QSize(418, 280));
    QStringList names;
    for (QObject *o : form->Components)
        names << o->objectName();
    QCOMPARE(names, (QStringList{"Label1", "CopiesEd", "Bevel1", "BitBtn1"}));
    // Only an OK button: no cancel button in the dialog.
    const auto buttons = form->findChildren<QAbstractButton *>();
    QCOMPARE(buttons.size(), 1);
}

QTEST_MAIN(TstPrintCommands)
#include "tst_printcommands.moc"
