// A machine without any printer: the print service is unreachable (its address points nowhere), so
// the printer object is the built-in PDF printer, writing one file per job to Documents/Kuvertino/.

#include "PdfCheck.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "app/MainUnit.h"
#include "print/Printer.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QtTest>

class TstNoPrinter : public QObject
{
    Q_OBJECT

public:
    TstNoPrinter()
        : m_home(TestEnv->path())
    {}

private slots:
    void startsOnTheBuiltInPrinter();
    void printsIntoTheDocumentsFolder();
    void namedPrinterThatDoesNotExistIsTheBuiltInOne();

private:
    QString m_home;
};

void TstNoPrinter::startsOnTheBuiltInPrinter()
{
    TPrinter &p = Printer();
    QVERIFY(p.isBuiltInPdfPrinter());
    QCOMPARE(p.printerName(), QString());
    QCOMPARE(p.resolutionX(), 1200);
    QCOMPARE(TPrinter::pdfOutputFolder(),
             QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                     + QStringLiteral("/Kuvertino/"));
    QVERIFY(TPrinter::pdfOutputFolder().startsWith(m_home));
}

void TstNoPrinter::printsIntoTheDocumentsFolder()
{
    ScriptedDialogsGuard dialogs;
    CreateApplicationWindows();
    // Start-up applied C6 in landscape to the built-in printer; the folder does not exist yet.
    QVERIFY(!QDir(TPrinter::pdfOutputFolder()).exists());
    MainForm->Drucken1Click();
    MainForm->Drucken1Click();
    const QDir folder(TPrinter::pdfOutputFolder());
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name),
             (QStringList{QStringLiteral("Plikato-1.pdf"), QStringLiteral("Plikato-2.pdf")}));
    const PdfFacts facts = ReadPdf(folder.filePath(QStringLiteral("Plikato-2.pdf")));
    QCOMPARE(facts.pages, 1);
    QVERIFY(SameMm(facts.firstPageMm, QSizeF(162, 114)));
    QCOMPARE(dialogs->messages.size(), 0);
    DestroyApplicationWindows();
}

void TstNoPrinter::namedPrinterThatDoesNotExistIsTheBuiltInOne()
{
    Printer().selectPrinter(QStringLiteral("Kuvertino-PDF"));
    QVERIFY(Printer().isBuiltInPdfPrinter());
    Printer().reselectWithDefaults();
    QVERIFY(Printer().isBuiltInPdfPrinter());
}

// Before anything asks the print service: no server there, and a home of our own so neither the
// user's printer choice nor their documents folder is touched.
KUVERTINO_GUI_TEST_MAIN_WITH_PRINTER(TstNoPrinter, TestPrinter::NoPrintService)

#include "tst_noprinter.moc"
