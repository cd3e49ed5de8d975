// The printer object on its own: the built-in PDF printer's files, pages and paper, the settings
// record, and the error paths of a job.

#include "PdfCheck.h"
#include "TestEnvironment.h"
#include "core/Errors.h"
#include "core/translateunit.h"
#include "print/OneJobTarget.h"
#include "print/Printer.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A length in device pixels at the built-in printer's 1200 dpi matches mm within a quarter millimetre
// (the print engine keeps page sizes in whole points).
bool pxIsMm(int pixels, double mm)
{
    return qAbs(pixels / 1200.0 * 25.4 - mm) <= 0.25;
}
} // namespace

class TstPrinter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void builtInPrinterDefaults();
    void applySettings_data();
    void applySettings();
    void reselectDiscardsEarlierChoices();
    void syncTakesTheDialogsChoice();
    void paperWithoutCodeStaysWhenReapplied_data();
    void paperWithoutCodeStaysWhenReapplied();
    void oneJobIsOnePdfOfOnePage();
    void runningNumberSkipsExistingFiles();
    void titleBecomesAFileName();
    void unusableFolderRefusesTheJob();
    void abortLeavesNoFile();
    void secondBeginWhilePrintingIsRefused();
    void jobStepsOutOfOrderAreRefused();
    void errorTextsInEveryLanguage_data();
    void errorTextsInEveryLanguage();
    void everyPrinterSentenceIsTranslated();

private:
    // The error the call raises, or a note that it raised none.
    template<class F>
    static QString printerErrorOf(F call)
    {
        try {
            call();
        } catch (const EPrinterError &e) {
            return e.message();
        }
        return QStringLiteral("(no printer error)");
    }
    // Loads the delivered translation table (a copy: a text missing from it would be added and saved)
    // and switches to language column `language`.
    void useDeliveredTable(int language);

    std::unique_ptr<QTemporaryDir> m_dir;
    QTemporaryDir m_program;
    int m_language = 0;
};

void TstPrinter::initTestCase()
{
    QVERIFY(m_program.isValid());
    // Looked-up texts go to a table of this test's own, never beside the test program.
    SetTranslationHost([this] { return m_language; }, [this] { return m_program.path() + u'/'; });
}

void TstPrinter::useDeliveredTable(int language)
{
    const QString copy = m_program.filePath(QStringLiteral("translate.dat"));
    QFile::remove(copy);
    QVERIFY(QFile::copy(QStringLiteral(KUVERTINO_BINARY_DIR "/translate.dat"), copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner));
    m_language = language;
    BuildTranslationIndex();
    QVERIFY(TranslationRowCount() > 100);
}

void TstPrinter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    TPrinter::setPdfOutputFolder(m_dir->path());
    Printer().useBuiltInPdfPrinter();
    Printer().setTitle(QStringLiteral("Plikato"));
}

void TstPrinter::cleanup()
{
    Printer().abortDoc();
    m_language = 0;
    FreeTranslationTable();
    TPrinter::setPdfOutputFolder(QString());
    m_dir.reset();
}

void TstPrinter::builtInPrinterDefaults()
{
    TPrinter &p = Printer();
    QVERIFY(p.isBuiltInPdfPrinter());
    QCOMPARE(p.printerName(), QString());
    QCOMPARE(p.resolutionX(), 1200);
    // A4 portrait, the whole sheet printable.
    QVERIFY(pxIsMm(p.pageWidth(), 210));
    QVERIFY(pxIsMm(p.pageHeight(), 297));
    QCOMPARE(p.settings().dmPaperSize, 9);
    QCOMPARE(p.settings().dmOrientation, TDevMode::DMORIENT_PORTRAIT);
    QCOMPARE(TPrinter::pdfOutputFolder(), m_dir->path() + u'/');
}

void TstPrinter::applySettings_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<quint32>("fields");
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<double>("heightMm");

    const quint32 both = TDevMode::DM_PAPERSIZE | TDevMode::DM_ORIENTATION;
    QTest::newRow("C6 landscape") << 31 << 2 << both << 162.0 << 114.0;
    QTest::newRow("C6 portrait") << 31 << 1 << both << 114.0 << 162.0;
    QTest::newRow("#10 landscape") << 20 << 2 << both << 241.3 << 104.775;
    QTest::newRow("DL portrait") << 27 << 1 << both << 110.0 << 220.0;
    QTest::newRow("A5 landscape") << 11 << 2 << both << 210.0 << 148.0;
    // Envelope B6 is defined wider than tall; portrait still puts the short side across.
    QTest::newRow("envelope B6 portrait") << 35 << 1 << both << 125.0 << 176.0;
    QTest::newRow("envelope B6 landscape") << 35 << 2 << both << 176.0 << 125.0;
    QTest::newRow("user paper portrait") << 256 << 1 << both << 125.0 << 176.0;
    QTest::newRow("user paper landscape") << 256 << 2 << both << 176.0 << 125.0;
    QTest::newRow("no code: default paper") << 0 << 2 << both << 297.0 << 210.0;
    QTest::newRow("unknown code: default paper") << 250 << 1 << both << 210.0 << 297.0;
    QTest::newRow("paper not marked valid") << 31 << 2 << quint32(TDevMode::DM_ORIENTATION) << 297.0 << 210.0;
    QTest::newRow("orientation not marked valid")
            << 31 << 2 << quint32(TDevMode::DM_PAPERSIZE) << 114.0 << 162.0;
}

void TstPrinter::applySettings()
{
    QFETCH(int, code);
    QFETCH(int, orientation);
    QFETCH(quint32, fields);
    QFETCH(double, widthMm);
    QFETCH(double, heightMm);

    TPrinter &p = Printer();
    p.reselectWithDefaults();
    TDevMode &dm = p.settings();
    dm.dmPaperSize = code;
    dm.dmOrientation = orientation;
    dm.dmFields = fields;
    p.applySettings();

    QVERIFY2(
            SameMm(p.paperSizeMM(), QSizeF(widthMm, heightMm), 0.05),
            qPrintable(QStringLiteral("%1 x %2").arg(p.paperSizeMM().width()).arg(p.paperSizeMM().height())));
    QVERIFY(pxIsMm(p.pageWidth(), widthMm));
    QVERIFY(pxIsMm(p.pageHeight(), heightMm));
    QCOMPARE(p.isLandscape(), widthMm > heightMm);
}

void TstPrinter::reselectDiscardsEarlierChoices()
{
    TPrinter &p = Printer();
    p.settings().dmPaperSize = 31;
    p.settings().dmOrientation = TDevMode::DMORIENT_LANDSCAPE;
    p.settings().dmFields |= TDevMode::DM_PAPERSIZE | TDevMode::DM_ORIENTATION;
    p.applySettings();
    QVERIFY(p.isLandscape());

    p.reselectWithDefaults();
    QVERIFY(p.isBuiltInPdfPrinter());
    QVERIFY(!p.isLandscape());
    QVERIFY(SameMm(p.paperSizeMM(), QSizeF(210, 297), 0.05));
    QCOMPARE(p.settings().dmPaperSize, 9);
    QCOMPARE(p.settings().dmOrientation, TDevMode::DMORIENT_PORTRAIT);
    // The whole sheet stays printable after a reselect.
    QVERIFY(pxIsMm(p.pageWidth(), 210));
}

void TstPrinter::syncTakesTheDialogsChoice()
{
    // What a set-up dialog does to the printer, then the record follows it.
    TPrinter &p = Printer();
    p.qprinter().setPageSize(QPageSize(QPageSize::EnvelopeDL));
    p.qprinter().setPageOrientation(QPageLayout::Landscape);
    p.syncSettingsFromPrinter();
    QCOMPARE(p.settings().dmPaperSize, 27);
    QCOMPARE(p.settings().dmOrientation, TDevMode::DMORIENT_LANDSCAPE);
    QCOMPARE(p.settings().dmPaperWidth, 1100);
    QCOMPARE(p.settings().dmPaperLength, 2200);
    QVERIFY(pxIsMm(p.pageWidth(), 220));
    QVERIFY(pxIsMm(p.pageHeight(), 110));
}

void TstPrinter::paperWithoutCodeStaysWhenReapplied_data()
{
    QTest::addColumn<QPageSize>("paper");
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<double>("heightMm");
    QTest::newRow("A1, a standard paper without a code") << QPageSize(QPageSize::A1) << 594.0 << 841.0;
    QTest::newRow("envelope C7") << QPageSize(QPageSize::EnvelopeC7) << 81.0 << 114.0;
    QTest::newRow("custom size") << QPageSize(
            QSizeF(100, 150), QPageSize::Millimeter, QString(), QPageSize::ExactMatch)
                                 << 100.0 << 150.0;
}

void TstPrinter::paperWithoutCodeStaysWhenReapplied()
{
    // A printer whose default paper has no paper code: the empty format entry writes no code and
    // only sets the orientation, so the paper must stay the one the printer had.
    QFETCH(QPageSize, paper);
    QFETCH(double, widthMm);
    QFETCH(double, heightMm);
    TPrinter &p = Printer();
    p.qprinter().setPageSize(paper);
    p.qprinter().setPageOrientation(QPageLayout::Portrait);
    p.syncSettingsFromPrinter();
    TDevMode &dm = p.settings();
    dm.dmOrientation = TDevMode::DMORIENT_LANDSCAPE;
    dm.dmFields |= TDevMode::DM_ORIENTATION | TDevMode::DM_PAPERSIZE;
    p.applySettings();
    QVERIFY2(
            SameMm(p.paperSizeMM(), QSizeF(heightMm, widthMm), 0.5),
            qPrintable(QStringLiteral("%1 x %2").arg(p.paperSizeMM().width()).arg(p.paperSizeMM().height())));
    QVERIFY(p.isLandscape());
}

void TstPrinter::oneJobIsOnePdfOfOnePage()
{
    TPrinter &p = Printer();
    p.settings().dmPaperSize = 31;
    p.settings().dmOrientation = TDevMode::DMORIENT_LANDSCAPE;
    p.settings().dmFields |= TDevMode::DM_PAPERSIZE | TDevMode::DM_ORIENTATION;
    p.applySettings();

    p.beginDoc();
    QVERIFY(p.printing());
    // The top-left quarter of the page in device pixels: it must land on the top-left quarter of the sheet.
    p.canvas().fillRect(QRect(0, 0, p.pageWidth() / 2, p.pageHeight() / 2), Qt::black);
    p.endDoc();
    QVERIFY(!p.printing());

    const QString file = m_dir->filePath(QStringLiteral("Plikato-1.pdf"));
    QCOMPARE(p.lastOutputFile(), file);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("Plikato-1.pdf")});
    const PdfFacts facts = ReadPdf(file);
    QVERIFY(facts.ok);
    QCOMPARE(facts.pages, 1);
    QCOMPARE(facts.title, QStringLiteral("Plikato"));
    QVERIFY2(SameMm(facts.firstPageMm, QSizeF(162, 114)), qPrintable(MmText(facts.firstPageMm)));

    const QImage img = RenderPdfPage(file, 72).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!img.isNull());
    const int w = img.width(), h = img.height();
    QCOMPARE(QColor(img.pixel(2, 2)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(w / 2 - 3, h / 2 - 3)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(w / 2 + 3, h / 2 + 3)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(w - 2, h - 2)), QColor(Qt::white));
}

void TstPrinter::runningNumberSkipsExistingFiles()
{
    for (const char *name : {"Plikato-1.pdf", "Plikato-2.pdf", "Plikato-4.pdf"}) {
        QFile f(m_dir->filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    TPrinter &p = Printer();
    QStringList written;
    for (int i = 0; i < 3; ++i) {
        p.beginDoc();
        p.endDoc();
        written << QFileInfo(p.lastOutputFile()).fileName();
    }
    QCOMPARE(written, (QStringList{"Plikato-3.pdf", "Plikato-5.pdf", "Plikato-6.pdf"}));
    // Files that were there are left alone.
    QFile kept(m_dir->filePath(QStringLiteral("Plikato-2.pdf")));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep"));
    // A file removed meanwhile is not reused by the same run: numbers go on after the last one.
    QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("Plikato-1.pdf"))));
    p.beginDoc();
    p.endDoc();
    QCOMPARE(QFileInfo(p.lastOutputFile()).fileName(), QStringLiteral("Plikato-7.pdf"));
}

void TstPrinter::titleBecomesAFileName()
{
    TPrinter &p = Printer();
    p.setTitle(QStringLiteral("../Brief: A/B"));
    p.beginDoc();
    p.endDoc();
    QCOMPARE(p.lastOutputFile(), m_dir->filePath(QStringLiteral("_Brief_ A_B-1.pdf")));
    QCOMPARE(ReadPdf(p.lastOutputFile()).title, QStringLiteral("../Brief: A/B"));
    p.setTitle(QString());
    p.beginDoc();
    p.endDoc();
    QCOMPARE(QFileInfo(p.lastOutputFile()).fileName(), QStringLiteral("Kuvertino-1.pdf"));
}

void TstPrinter::unusableFolderRefusesTheJob()
{
    // A file where the folder should be: the folder cannot be created.
    const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    TPrinter::setPdfOutputFolder(blocker + QStringLiteral("/out"));

    TPrinter &p = Printer();
    try {
        p.beginDoc();
        QFAIL("beginDoc did not refuse the job");
    } catch (const EPrinterError &e) {
        QCOMPARE(e.message(),
                 QStringLiteral("Der Ordner \"%1/out/\" für die PDF-Dateien kann nicht angelegt werden.")
                         .arg(blocker));
    }
    QVERIFY(!p.printing());
    QVERIFY_THROWS_EXCEPTION(EPrinterError, p.canvas());

    // The next job after the folder is usable again works.
    TPrinter::setPdfOutputFolder(m_dir->path());
    p.beginDoc();
    p.endDoc();
    QCOMPARE(ReadPdf(p.lastOutputFile()).pages, 1);
}

void TstPrinter::abortLeavesNoFile()
{
    TPrinter &p = Printer();
    p.beginDoc();
    p.canvas().fillRect(QRect(0, 0, 100, 100), Qt::black);
    p.abortDoc();
    QVERIFY(!p.printing());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    QVERIFY_THROWS_EXCEPTION(EPrinterError, p.endDoc());
}

void TstPrinter::secondBeginWhilePrintingIsRefused()
{
    TPrinter &p = Printer();
    p.beginDoc();
    QCOMPARE(printerErrorOf([&p] { p.beginDoc(); }), QStringLiteral("Ein Druckauftrag läuft bereits."));
    QVERIFY(p.printing());
    p.endDoc();
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("Plikato-1.pdf")});
}

void TstPrinter::jobStepsOutOfOrderAreRefused()
{
    TPrinter &p = Printer();
    const QString none = QStringLiteral("Es läuft kein Druckauftrag.");
    QCOMPARE(printerErrorOf([&p] { p.canvas(); }), none);
    QCOMPARE(printerErrorOf([&p] { p.endDoc(); }), none);
    p.beginDoc();
    p.endDoc();
    QCOMPARE(printerErrorOf([&p] { p.endDoc(); }), none);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("Plikato-1.pdf")});
}

// Our sentence in the interface language from the delivered table, then the platform's words.
void TstPrinter::errorTextsInEveryLanguage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("folderText");
    QTest::addColumn<QString>("busyText");
    QTest::newRow("German") << 0 << "Der Ordner \"%1\" für die PDF-Dateien kann nicht angelegt werden."
                            << "Ein Druckauftrag läuft bereits.";
    QTest::newRow("English") << 1 << "The folder \"%1\" for the PDF files cannot be created."
                             << "A print job is already in progress.";
    QTest::newRow("French") << 2 << "Impossible de créer le dossier «\u00A0%1\u00A0» pour les fichiers PDF."
                            << "Un travail d'impression est déjà en cours.";
    QTest::newRow("Dutch") << 3 << "De map \"%1\" voor de PDF-bestanden kan niet worden aangemaakt."
                           << "Er loopt al een afdruktaak.";
}

void TstPrinter::errorTextsInEveryLanguage()
{
    QFETCH(int, language);
    QFETCH(QString, folderText);
    QFETCH(QString, busyText);
    useDeliveredTable(language);
    const int rows = TranslationRowCount();

    const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    TPrinter::setPdfOutputFolder(blocker + QStringLiteral("/out"));
    TPrinter &p = Printer();
    QCOMPARE(printerErrorOf([&p] { p.beginDoc(); }), folderText.arg(blocker + QStringLiteral("/out/")));

    TPrinter::setPdfOutputFolder(m_dir->path());
    p.beginDoc();
    QCOMPARE(printerErrorOf([&p] { p.beginDoc(); }), busyText);
    p.abortDoc();
    // Both sentences were in the table: nothing was added to it.
    QCOMPARE(TranslationRowCount(), rows);
}

void TstPrinter::everyPrinterSentenceIsTranslated()
{
    QStringList missing;
    for (int language = 1; language <= 3; ++language) {
        useDeliveredTable(language);
        const int rows = TranslationRowCount();
        QList<const char *> sentences(std::begin(PrinterText::All), std::end(PrinterText::All));
        sentences.append(QList<const char *>(std::begin(OneJobText::All), std::end(OneJobText::All)));
        for (const char *sentence : sentences) {
            const QString german = QString::fromUtf8(sentence);
            const QString shown = TranslateText(german);
            // A translation keeps the place of the name it is given.
            if (shown == german || shown.count(QStringLiteral("%1")) != german.count(QStringLiteral("%1")))
                missing << QStringLiteral("%1: %2 -> %3").arg(language).arg(german, shown);
        }
        QCOMPARE(TranslationRowCount(), rows);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
}

KUVERTINO_GUI_TEST_MAIN(TstPrinter)
#include "tst_printer.moc"
