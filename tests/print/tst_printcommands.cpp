// The print commands on the real windows, printing to the built-in PDF printer in a temporary folder:
// one job per envelope, copies, the copy-count dialog, the set-up dialog, the job title, every paper
// format, and errors ending a run.

#include "CopiesAnswer.h"
#include "PdfCheck.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "app/BitBtnXP.h"
#include "app/FilenameEdit.h"
#include "app/KopienFUnit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PaintBox.h"
#include "app/PdfNotice.h"
#include "app/Preview.h"
#include "app/PrintCommands.h"
#include "app/RxSpinEdit.h"
#include "core/PaperFormats.h"
#include "core/translateunit.h"
#include "print/Printer.h"
#include "render/EnvelopeRenderer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QToolButton>
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
    void copiesAsOneJob();
    void copiesDialogKeepsItsCountAndFocus();
    void closeBoxPrintsNothing();
    void textThatIsNoNumberPrintsOneCopy();
    void copyCountRule_data();
    void copyCountRule();
    void squarePagePrintsSquare();
    void setupDialogOrientationWinsOverPortraitBox();
    void cancelledSetupKeepsThePrinter();
    void titleIsMessage9InTheActiveLanguage();
    void everyPaperFormat_data();
    void everyPaperFormat();
    void refusedJobEndsTheCopiesRun();
    void copiesDialogControls();
    void previewAndPrintoutAgree_data();
    void previewAndPrintoutAgree();
    void setupRepaintsThePreviewEitherWay();
    void pdfNoticeAfterEnvelopeAndRun();

protected:
    // Counts the showings of the PDF notice.
    bool eventFilter(QObject *, QEvent *event) override
    {
        m_noticeShows += event->type() == QEvent::ShowToParent;
        return false;
    }

private:
    int m_noticeShows = 0;
    QStringList pdfFiles() const;
    void choose(int entry, bool portrait);

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
    m_dialogs = std::make_unique<ScriptedDialogsGuard>();
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
    QVERIFY2(SameMm(facts.firstPageMm, QSizeF(162, 114)), qPrintable(MmText(facts.firstPageMm)));
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

void TstPrintCommands::copiesAsOneJob()
{
    (*m_dialogs)->modalAnswers.enqueue([](QDialog *d) {
        auto *form = qobject_cast<TKopienForm *>(d);
        form->OneJobCheck->setChecked(true);
        form->CopiesEd->setValue(3);
        form->accept();
        return form->result();
    });
    MainForm->MehrereKopiendrucken1Click();
    QCOMPARE(KopienForm->OneJobCheck->text(), QStringLiteral("&Als ein Druckauftrag"));
    QCOMPARE(pdfFiles(), QStringList{QStringLiteral("Plikato-1.pdf")});
    QCOMPARE(ReadPdf(m_out->filePath(pdfFiles()[0])).pages, 3);
    // The tick is kept: a new window shows it.
    TKopienForm *const kept = KopienForm;
    QVERIFY(TKopienForm().OneJobCheck->isChecked());
    KopienForm = kept;
    KopienForm->OneJobCheck->setChecked(false);
}

void TstPrintCommands::copiesDialogKeepsItsCountAndFocus()
{
    QueueCopiesAnswer(**m_dialogs, 2);
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
    QVERIFY2(SameMm(facts.firstPageMm, QSizeF(162, 114)), qPrintable(MmText(facts.firstPageMm)));
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
    QVERIFY2(SameMm(facts.firstPageMm, expected, 1.0), qPrintable(MmText(facts.firstPageMm)));
}

void TstPrintCommands::refusedJobEndsTheCopiesRun()
{
    const QString blocker = m_out->filePath(QStringLiteral("blocker"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    TPrinter::setPdfOutputFolder(blocker + QStringLiteral("/Kuvertino"));
    QueueCopiesAnswer(**m_dialogs, 3);
    Guarded([] { MainForm->MehrereKopiendrucken1Click(); });
    // One report for the whole run, not one per copy, and nothing printed.
    QCOMPARE((*m_dialogs)->messages.size(), 1);
    QCOMPARE((*m_dialogs)->messages.first().icon, TMsgIcon::Error);
    QCOMPARE((*m_dialogs)->messages.first().text,
             QStringLiteral("Der Ordner \"%1/Kuvertino/\" für die PDF-Dateien kann nicht angelegt werden.")
                     .arg(blocker));
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
    const auto buttons = form->findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 1);
}

namespace {

// The bounding box of everything darker than mid-grey inside region.
QRect inkBox(const QImage &img, const QRect &region)
{
    const QRect r = region.intersected(img.rect());
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    const bool gray = img.format() == QImage::Format_Grayscale8;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar *bytes = img.constScanLine(y);
        const auto *line = reinterpret_cast<const QRgb *>(bytes);
        for (int x = r.left(); x <= r.right(); ++x) {
            if ((gray ? int(bytes[x]) : qGray(line[x])) < 128) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    return left == INT_MAX ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QString boxText(const QRect &r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

void TstPrintCommands::previewAndPrintoutAgree_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("portrait");
    QTest::newRow("C6 landscape") << 11 << false;
    QTest::newRow("C6 portrait") << 11 << true;
    QTest::newRow("DL landscape") << 13 << false;
    // A square page goes to the landscape renderer, whatever the portrait box says.
    QTest::newRow("INVITE square, portrait box") << 14 << true;
}

namespace {

QImage whitePage(int w, int h, int dpi, QImage::Format format)
{
    // Fonts in points need the image to know its resolution.
    const int dotsPerMeter = qRound(dpi / 0.0254);
    QImage img(w, h, format);
    img.setDotsPerMeterX(dotsPerMeter);
    img.setDotsPerMeterY(dotsPerMeter);
    img.fill(Qt::white);
    return img;
}

RenderTarget targetAt(int dpi, int w, int h)
{
    RenderTarget target;
    target.dpi = dpi;
    target.width = w;
    target.height = h;
    target.zoom = 100;
    target.printit = true;
    target.pageWidth = Printer().pageWidth();
    target.pageHeight = Printer().pageHeight();
    target.printerDpi = Printer().resolutionX();
    return target;
}

EnvelopeLayout drawOwn(QImage &img, int dpi)
{
    QPainter painter(&img);
    const RenderTarget target = targetAt(dpi, img.width(), img.height());
    const EnvelopeValue envelope = MainForm->envelope();
    return img.width() < img.height() ? DrawEnvelopeHochformat(painter, envelope, target)
                                      : DrawEnvelope(painter, envelope, target);
}

} // namespace

void TstPrintCommands::previewAndPrintoutAgree()
{
    QFETCH(int, entry);
    QFETCH(bool, portrait);
    choose(entry, portrait);
    MainForm->Memo1->setText(QStringLiteral("Erika Mustermann\r\nHauptstraße 17\r\n12345 Musterstadt"));
    MainForm->Memo2->setText(QStringLiteral("Max Absender\r\nNebenweg 2\r\n54321 Irgendwo"));
    MainForm->InfoEd->setText(QStringLiteral("Einschreiben"));
    MainForm->FilenameEdit1->setText(QString());
    MainForm->Drucken1Click();
    const QString pdf = Printer().lastOutputFile();

    // At the printer's resolution the renderer's own drawing and the printout must match within 2 px
    // at 300 dpi: the printed job is that drawing, only rasterised by another program.
    const int R = Printer().resolutionX();
    const int W = Printer().pageWidth();
    const int H = Printer().pageHeight();
    const int tolerance = 2 * R / 300;
    QImage own = whitePage(W, H, R, QImage::Format_Grayscale8);
    const EnvelopeLayout layout = drawOwn(own, R);

    // The same drawing through the main window's renderer call that preview and printing make.
    QImage viaForm = whitePage(W, H, R, QImage::Format_Grayscale8);
    {
        QPainter painter(&viaForm);
        if (W < H)
            MainForm->PaintToCanvasHochformat(painter, R, W, H, 100, true);
        else
            MainForm->PaintToCanvas(painter, R, W, H, 100, true);
    }
    QVERIFY(viaForm == own);
    viaForm = QImage();

    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(pdf);
    QVERIFY(doc && doc->numPages() == 1);
    doc->setRenderHint(Poppler::Document::Antialiasing, true);
    doc->setRenderHint(Poppler::Document::TextAntialiasing, true);
    const std::unique_ptr<Poppler::Page> page = doc->page(0);

    // Layout rectangles are in the lying sheet's coordinates; upright pages turn them a quarter.
    const QTransform toPage = W < H ? QTransform(0, 1, -1, 0, W, 0) : QTransform();
    const struct
    {
        const char *name;
        QRect rect;
    } blocks[] = {{"sender", layout.senderRect},
                  {"recipient", layout.recipientRect},
                  {"info line", layout.infoRect}};
    QRect printedBoxes[3];
    int i = 0;
    for (const auto &block : blocks) {
        QVERIFY2(!block.rect.isNull(), block.name);
        const QRect region
                = toPage.mapRect(block.rect).adjusted(-24, -24, 24, 24).intersected(QRect(0, 0, W, H));
        const QRect mine = inkBox(own, region);
        // Only the block's part of the printed page is rasterised: a whole page at 1200 dpi is large.
        const QImage part = page->renderToImage(R, R, region.x(), region.y(), region.width(), region.height())
                                    .convertToFormat(QImage::Format_RGB32);
        QRect paper = inkBox(part, part.rect());
        paper.translate(region.topLeft());
        printedBoxes[i++] = paper;
        QVERIFY2(!mine.isNull() && !paper.isNull(), block.name);
        const QString why = QStringLiteral("%1: printed %2, drawn %3")
                                    .arg(QLatin1String(block.name), boxText(paper), boxText(mine));
        QVERIFY2(qAbs(paper.left() - mine.left()) <= tolerance && qAbs(paper.top() - mine.top()) <= tolerance
                         && qAbs(paper.right() - mine.right()) <= tolerance
                         && qAbs(paper.bottom() - mine.bottom()) <= tolerance,
                 qPrintable(why));
    }
    // The recipient lies right of and below the sender on the printed sheet (turned on upright pages).
    const QRect &sender = printedBoxes[0];
    const QRect &recipient = printedBoxes[1];
    if (W < H)
        QVERIFY(recipient.right() < sender.left() && recipient.top() > sender.bottom());
    else
        QVERIFY(recipient.left() > sender.right() && recipient.top() > sender.bottom());

    // The preview draws at a lower resolution: each block starts where the printout's does (text
    // metrics are whole pixels at each resolution, so only the blocks' extents may drift).
    const int D = 300;
    const int w = SheetExtent(W, D, R, 100);
    const int h = SheetExtent(H, D, R, 100);
    QImage preview = whitePage(w, h, D, QImage::Format_RGB32);
    const EnvelopeLayout small = drawOwn(preview, D);
    const QImage printed = RenderPdfPage(pdf, D).convertToFormat(QImage::Format_RGB32);
    const QTransform toSmall = w < h ? QTransform(0, 1, -1, 0, w, 0) : QTransform();
    for (const QRect &rect : {small.senderRect, small.recipientRect, small.infoRect}) {
        const QRect region = toSmall.mapRect(rect).adjusted(-6, -6, 6, 6);
        const QRect a = inkBox(preview, region);
        const QRect b = inkBox(printed, region);
        const QPoint corner
                = w < h ? QPoint(a.right() - b.right(), a.top() - b.top()) : a.topLeft() - b.topLeft();
        QVERIFY2(qAbs(corner.x()) <= 2 && qAbs(corner.y()) <= 2,
                 qPrintable(QStringLiteral("preview %1, printed %2").arg(boxText(a), boxText(b))));
    }
}

void TstPrintCommands::setupRepaintsThePreviewEitherWay()
{
    MainForm->resize(1200, 1000);
    MainForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(MainForm));
    QTRY_VERIFY(PreviewSheetDrawings() > 0);
    quint64 before = PreviewSheetDrawings();
    MainForm->Druckereinrichten1Click(); // cancelled
    QVERIFY(PreviewSheetDrawings() > before);

    // Confirmed with another orientation: the preview takes the new page's shape.
    const QSize lying = MainForm->PaintBox1->size();
    QVERIFY(lying.width() > lying.height());
    before = PreviewSheetDrawings();
    (*m_dialogs)->printerAnswers.enqueue([](TPrinter &p) {
        p.qprinter().setPageOrientation(QPageLayout::Portrait);
        p.syncSettingsFromPrinter();
        return true;
    });
    MainForm->Druckereinrichten1Click();
    QTRY_VERIFY(PreviewSheetDrawings() > before);
    QCOMPARE(MainForm->PaintBox1->size(), lying.transposed());
    MainForm->hide();
}

// One envelope names its file; a run of copies says once, at its end, how many went to which folder.
// Neither shows anything modal, and the notice's button opens the folder.
void TstPrintCommands::pdfNoticeAfterEnvelopeAndRun()
{
    auto *notice = MainForm->findChild<TPdfNotice *>(QStringLiteral("PdfNotice"));
    MainForm->Drucken1Click();
    QVERIFY(notice->isVisibleTo(MainForm));
    QCOMPARE(notice->accessibleName(),
             QStringLiteral("Gedruckt in die PDF-Datei \"%1\".")
                     .arg(QDir::toNativeSeparators(m_out->filePath(QStringLiteral("Plikato-1.pdf")))));
    (*m_dialogs)->openedUrls.clear();
    notice->openButton()->click();
    QCOMPARE((*m_dialogs)->openedUrls, QList<QUrl>{QUrl::fromLocalFile(m_out->path())});
    notice->closeButton()->click();
    QVERIFY(!notice->isVisibleTo(MainForm));

    QueueCopiesAnswer(**m_dialogs, 3);
    m_noticeShows = 0;
    notice->installEventFilter(this);
    MainForm->MehrereKopiendrucken1Click();
    notice->removeEventFilter(this);
    QCOMPARE(m_noticeShows, 1);
    QCOMPARE(notice->textLabel()->text(),
             QStringLiteral("3 Umschläge gedruckt in PDF-Dateien im Ordner \"%1\".")
                     .arg(QDir::toNativeSeparators(m_out->path())));
    QCOMPARE((*m_dialogs)->messages.size(), 0);
}

KUVERTINO_GUI_TEST_MAIN(TstPrintCommands)
#include "tst_printcommands.moc"
