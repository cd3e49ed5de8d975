// A printer's set-up for exact placement on the built-in PDF printer: the stored values and their
// bounds, the dialog from the file menu, the shift on the printed page and the test page's crosshair.

#include "InkHelpers.h"
#include "PdfCheck.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "app/CalibrationDialog.h"
#include "app/FormStorage.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "print/Printer.h"
#include "print/PrinterCalibration.h"
#include "print/TestPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

constexpr double Dpi = 300.0;

double pxToMm(double px)
{
    return px / Dpi * 25.4;
}

// Crosshair centre: within a window around where it should be, the column and the row with the most ink.
QPointF crossCentreMm(const QImage &page, QPointF expectMm)
{
    const int cx = int(expectMm.x() / 25.4 * Dpi);
    const int cy = int(expectMm.y() / 25.4 * Dpi);
    const int r = int(6.0 / 25.4 * Dpi);
    int bestCol = -1, bestColInk = -1, bestRow = -1, bestRowInk = -1;
    for (int x = cx - r; x <= cx + r; ++x) {
        int ink = 0;
        for (int y = cy - r; y <= cy + r; ++y)
            ink += qGray(page.pixel(x, y)) < 128;
        if (ink > bestColInk)
            bestColInk = ink, bestCol = x;
    }
    for (int y = cy - r; y <= cy + r; ++y) {
        int ink = 0;
        for (int x = cx - r; x <= cx + r; ++x)
            ink += qGray(page.pixel(x, y)) < 128;
        if (ink > bestRowInk)
            bestRowInk = ink, bestRow = y;
    }
    return QPointF(pxToMm(bestCol + 0.5), pxToMm(bestRow + 0.5));
}

} // namespace

class TstCalibration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void shiftIsClamped_data();
    void shiftIsClamped();
    void feedTransform_data();
    void feedTransform();
    void printableRectInSheet_data();
    void printableRectInSheet();
    void printersKeepTheirOwnSetUp();
    void setUpSurvivesARestart();
    void dialogStoresOnOkOnly_data();
    void dialogStoresOnOkOnly();
    void measurementSetsTheShift_data();
    void measurementSetsTheShift();
    void storeThatCannotBeWrittenIsReported();
    void shiftMovesThePrintedEnvelope_data();
    void shiftMovesThePrintedEnvelope();
    void testPageCrosshairLandsWhereItSays_data();
    void testPageCrosshairLandsWhereItSays();

private:
    QRect printEnvelopeInk();
    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
};

void TstCalibration::initTestCase()
{
    m_dialogs = std::make_unique<ScriptedDialogsGuard>();
    CreateApplicationWindows();
    QVERIFY(Printer().isBuiltInPdfPrinter());
}

void TstCalibration::cleanupTestCase()
{
    DestroyApplicationWindows();
    m_dialogs.reset();
}

void TstCalibration::shiftIsClamped_data()
{
    QTest::addColumn<double>("in");
    QTest::addColumn<double>("out");
    QTest::newRow("zero") << 0.0 << 0.0;
    QTest::newRow("tenths kept") << 1.3 << 1.3;
    QTest::newRow("rounded to a tenth") << 2.46 << 2.5;
    QTest::newRow("negative rounded") << -2.44 << -2.4;
    QTest::newRow("tiny negative is zero") << -0.04 << 0.0;
    QTest::newRow("above the bound") << 25.0 << 20.0;
    QTest::newRow("below the bound") << -20.04 << -20.0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0.0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0.0;
}

void TstCalibration::shiftIsClamped()
{
    QFETCH(double, in);
    QFETCH(double, out);
    const double got = ClampShiftMm(in);
    QCOMPARE(got, out);
    QVERIFY(!std::signbit(got) || got != 0.0);
}

void TstCalibration::feedTransform_data()
{
    // A C6 envelope lying (162 x 114 mm): where its top-left corner and a point near it go on the
    // paper as the printer takes it.
    QTest::addColumn<bool>("shortEdge");
    QTest::addColumn<bool>("turned");
    QTest::addColumn<QPointF>("corner");
    QTest::addColumn<QPointF>("point"); // (10, 20) as the envelope lies
    QTest::newRow("long edge") << false << false << QPointF(0, 0) << QPointF(10, 20);
    QTest::newRow("short edge") << true << false << QPointF(114, 0) << QPointF(94, 10);
    QTest::newRow("long edge, turned") << false << true << QPointF(162, 114) << QPointF(152, 94);
    QTest::newRow("short edge, turned") << true << true << QPointF(0, 162) << QPointF(20, 152);
}

void TstCalibration::feedTransform()
{
    QFETCH(bool, shortEdge);
    QFETCH(bool, turned);
    PrinterCalibration c;
    c.shortEdgeFirst = shortEdge;
    c.turnedHalf = turned;
    const QTransform t = FeedTransform(QSizeF(162, 114), c);
    QTEST(t.map(QPointF(0, 0)), "corner");
    QTEST(t.map(QPointF(10, 20)), "point");
    // The whole envelope stays on the paper as fed.
    const QSizeF fed = shortEdge ? QSizeF(114, 162) : QSizeF(162, 114);
    QCOMPARE(t.mapRect(QRectF(0, 0, 162, 114)), QRectF(QPointF(0, 0), fed));
}

void TstCalibration::printableRectInSheet_data()
{
    QTest::addColumn<QSize>("sheet");
    QTest::addColumn<QSizeF>("paper");
    QTest::addColumn<QMarginsF>("margins");
    QTest::addColumn<QRect>("expected");
    // 1 px per mm: the margins land on their millimetres.
    QTest::newRow("no border") << QSize(162, 114) << QSizeF(162, 114) << QMarginsF() << QRect(0, 0, 162, 114);
    QTest::newRow("C6 one px per mm") << QSize(162, 114) << QSizeF(162, 114) << QMarginsF(3.5, 4.2, 3.6, 2.9)
                                      << QRect(QPoint(3, 4), QPoint(157, 110));
    QTest::newRow("two px per mm") << QSize(324, 228) << QSizeF(162, 114) << QMarginsF(3.5, 4.2, 3.6, 2.9)
                                   << QRect(QPoint(7, 8), QPoint(315, 221));
    QTest::newRow("no paper") << QSize(50, 40) << QSizeF(0, 0) << QMarginsF(1, 1, 1, 1)
                              << QRect(0, 0, 50, 40);
}

void TstCalibration::printableRectInSheet()
{
    QFETCH(QSize, sheet);
    QFETCH(QSizeF, paper);
    QFETCH(QMarginsF, margins);
    QFETCH(QRect, expected);
    QCOMPARE(PrintableRectInSheet(sheet, paper, margins), expected);
}

void TstCalibration::printersKeepTheirOwnSetUp()
{
    QSettings store(TestEnv->path(QStringLiteral("two-printers.ini")), QSettings::IniFormat);
    const PrinterCalibration alpha{true, 1.5, -2.0};
    const PrinterCalibration beta{false, -0.7, 3.1};
    SaveCalibration(store, QStringLiteral("Alpha"), alpha);
    SaveCalibration(store, QStringLiteral("Beta"), beta);
    // A name with characters that mean something to the store stays one printer of its own.
    SaveCalibration(store, QStringLiteral("Alpha/Beta"), PrinterCalibration{true, 9.9, 9.9});
    QCOMPARE(LoadCalibration(store, QStringLiteral("Alpha")), alpha);
    QCOMPARE(LoadCalibration(store, QStringLiteral("Beta")), beta);
    QCOMPARE(LoadCalibration(store, QStringLiteral("Gamma")), PrinterCalibration());
    QCOMPARE(LoadCalibration(store, QStringLiteral("Alpha/Beta")), (PrinterCalibration{true, 9.9, 9.9}));
    // A value out of bounds written by hand reads within them.
    store.setValue(CalibrationGroup(QStringLiteral("Beta")) + QStringLiteral("/ShiftDownMm"), 55);
    QCOMPARE(LoadCalibration(store, QStringLiteral("Beta")).shiftDownMm, 20.0);
    store.setValue(CalibrationGroup(QStringLiteral("Beta")) + QStringLiteral("/ShiftDownMm"),
                   QStringLiteral("x"));
    QCOMPARE(LoadCalibration(store, QStringLiteral("Beta")).shiftDownMm, 0.0);
}

void TstCalibration::setUpSurvivesARestart()
{
    const PrinterCalibration chosen{true, 2.3, -1.2};
    SaveCalibration(Printer().printerName(), chosen);
    SaveCalibration(QStringLiteral("Other"), PrinterCalibration{false, 4.0, 4.0});
    // A fresh printer object, as at the next start, reads the set-up back from the store.
    Printer().useBuiltInPdfPrinter();
    QCOMPARE(Printer().calibration(), chosen);
    SaveCalibration(Printer().printerName(), PrinterCalibration());
    Printer().useBuiltInPdfPrinter();
    QCOMPARE(Printer().calibration(), PrinterCalibration());
    QCOMPARE(LoadCalibration(QStringLiteral("Other")), (PrinterCalibration{false, 4.0, 4.0}));
}

void TstCalibration::dialogStoresOnOkOnly_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("across");
    QTest::addColumn<double>("down");
    QTest::newRow("ok") << true << -3.4 << 12.7;
    QTest::newRow("ok beyond the range") << true << 30.0 << -30.0;
    QTest::newRow("cancel") << false << 5.0 << 5.0;
}

void TstCalibration::dialogStoresOnOkOnly()
{
    QFETCH(bool, ok);
    QFETCH(double, across);
    QFETCH(double, down);
    SaveCalibration(Printer().printerName(), PrinterCalibration());
    Printer().useBuiltInPdfPrinter();
    QString caption;
    (*m_dialogs)->modalAnswers.enqueue([&](QDialog *d) {
        auto *dialog = qobject_cast<CalibrationDialog *>(d);
        if (!dialog)
            return int(QDialog::Rejected);
        caption = dialog->windowTitle();
        dialog->FromEdgeCheck->setChecked(true);
        dialog->ShiftAcrossEd->setValue(across);
        dialog->ShiftDownEd->setValue(down);
        dialog->ShortEdgeRadio->setChecked(true);
        dialog->TurnedCheck->setChecked(true);
        return int(ok ? QDialog::Accepted : QDialog::Rejected);
    });
    MainForm->Druckerjustieren1->trigger();
    QCOMPARE(caption, QStringLiteral("Drucker justieren"));
    const PrinterCalibration expected
            = ok ? PrinterCalibration{true, ClampShiftMm(across), ClampShiftMm(down), true, true}
                 : PrinterCalibration();
    QCOMPARE(Printer().calibration(), expected);
    QCOMPARE(LoadCalibration(Printer().printerName()), expected);
}

void TstCalibration::measurementSetsTheShift_data()
{
    QTest::addColumn<double>("printedAcross");
    QTest::addColumn<double>("printedDown");
    QTest::addColumn<double>("crossLeft");
    QTest::addColumn<double>("crossTop");
    QTest::addColumn<double>("lineAcross"); // 0: not measured
    QTest::addColumn<double>("lineDown");
    QTest::addColumn<double>("across");
    QTest::addColumn<double>("down");
    QTest::addColumn<bool>("scaled");
    QTest::addColumn<bool>("again");
    QTest::newRow("where it belongs")
            << 0.0 << 0.0 << 30.0 << 30.0 << 100.0 << 100.0 << 0.0 << 0.0 << false << false;
    QTest::newRow("right and low") << 0.0 << 0.0 << 32.5 << 31.0 << 0.0 << 0.0 << -2.5 << -1.0 << false
                                   << true;
    QTest::newRow("left and high") << 0.0 << 0.0 << 28.0 << 27.5 << 100.5 << 99.5 << 2.0 << 2.5 << false
                                   << false;
    QTest::newRow("on top of a shift")
            << 1.5 << -2.0 << 31.0 << 29.0 << 0.0 << 0.0 << 0.5 << -1.0 << false << false;
    QTest::newRow("beyond the range")
            << 0.0 << 0.0 << 60.0 << 5.0 << 0.0 << 0.0 << -20.0 << 20.0 << false << false;
    QTest::newRow("fitted to the page")
            << 0.0 << 0.0 << 29.0 << 29.0 << 97.0 << 0.0 << 1.0 << 1.0 << true << false;
    QTest::newRow("scaled down the other way")
            << 0.0 << 0.0 << 30.0 << 30.0 << 100.0 << 100.6 << 0.0 << 0.0 << true << false;
}

void TstCalibration::measurementSetsTheShift()
{
    QFETCH(double, printedAcross);
    QFETCH(double, printedDown);
    QFETCH(bool, again);
    CalibrationDialog dialog(QString(), PrinterCalibration{false, printedAcross, printedDown}, nullptr);
    QSignalSpy testPages(&dialog, &CalibrationDialog::testPageRequested);
    QFETCH(double, crossLeft);
    QFETCH(double, crossTop);
    QFETCH(double, lineAcross);
    QFETCH(double, lineDown);
    dialog.CrossLeftEd->setValue(crossLeft);
    dialog.CrossTopEd->setValue(crossTop);
    dialog.LineAcrossEd->setValue(lineAcross);
    dialog.LineDownEd->setValue(lineDown);
    (*m_dialogs)->messageAnswers.enqueue(again ? TMsgResult::Yes : TMsgResult::No);
    dialog.ApplyMeasureBtn->click();
    QTEST(dialog.ShiftAcrossEd->value(), "across");
    QTEST(dialog.ShiftDownEd->value(), "down");
    QTEST(!dialog.ScalingLabel->isHidden(), "scaled");
    QCOMPARE(testPages.size(), again ? 1 : 0);
    if (again)
        QCOMPARE(testPages[0][0].value<PrinterCalibration>(), dialog.calibration());
}

void TstCalibration::storeThatCannotBeWrittenIsReported()
{
    SaveCalibration(Printer().printerName(), PrinterCalibration());
    Printer().useBuiltInPdfPrinter();
    // The store's file cannot be written where a folder stands in its place.
    const QString file = TFormStorage::openStore()->fileName();
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkpath(file));
    const auto messagesBefore = (*m_dialogs)->messages.size();
    (*m_dialogs)->modalAnswers.enqueue([](QDialog *d) {
        auto *dialog = qobject_cast<CalibrationDialog *>(d);
        if (!dialog)
            return int(QDialog::Rejected);
        dialog->ShiftAcrossEd->setValue(1.5);
        return int(QDialog::Accepted);
    });
    MainForm->Druckerjustieren1->trigger();
    QDir(file).removeRecursively();

    // Taken for this session, and the user is told it was not kept.
    QCOMPARE(Printer().calibration(), (PrinterCalibration{false, 1.5, 0.0}));
    QCOMPARE((*m_dialogs)->messages.size(), messagesBefore + 1);
    QCOMPARE((*m_dialogs)->messages.last().icon, TMsgIcon::Error);
    QCOMPARE((*m_dialogs)->messages.last().text,
             QStringLiteral(
                     "Die Druckereinstellung kann nicht in „%1“ gespeichert werden. (Zugriff verweigert)")
                     .arg(QDir::toNativeSeparators(file)));
    SaveCalibration(Printer().printerName(), PrinterCalibration());
    Printer().setCalibration(PrinterCalibration());
}

QRect TstCalibration::printEnvelopeInk()
{
    MainForm->Drucken1Click();
    const QImage page = RenderPdfPage(Printer().lastOutputFile(), Dpi);
    return inkBox(page, page.rect());
}

void TstCalibration::shiftMovesThePrintedEnvelope_data()
{
    QTest::addColumn<double>("across");
    QTest::addColumn<double>("down");
    QTest::newRow("right and up") << 3.5 << -2.0;
    QTest::newRow("left and down") << -4.2 << 6.3;
}

void TstCalibration::shiftMovesThePrintedEnvelope()
{
    QFETCH(double, across);
    QFETCH(double, down);
    MainForm->HochformatCheck->setChecked(false);
    MainForm->ComboBox1->setCurrentIndex(11);
    MainForm->ComboBox1Change();
    MainForm->Memo1->setText(QString());
    MainForm->Memo2->setText(QStringLiteral("HHH Absender"));
    Printer().setCalibration(PrinterCalibration());
    const QRect plain = printEnvelopeInk();
    QVERIFY(!plain.isNull());
    Printer().setCalibration(PrinterCalibration{false, across, down});
    const QRect shifted = printEnvelopeInk();
    Printer().setCalibration(PrinterCalibration());
    QVERIFY(!shifted.isNull());
    QVERIFY2(qAbs(pxToMm(shifted.left() - plain.left()) - across) <= 0.3,
             qPrintable(QStringLiteral("moved %1 mm across").arg(pxToMm(shifted.left() - plain.left()))));
    QVERIFY2(qAbs(pxToMm(shifted.top() - plain.top()) - down) <= 0.3,
             qPrintable(QStringLiteral("moved %1 mm down").arg(pxToMm(shifted.top() - plain.top()))));
    // Moved, not changed: the same ink within a pixel of antialiasing.
    QVERIFY(qAbs(shifted.width() - plain.width()) <= 1 && qAbs(shifted.height() - plain.height()) <= 1);
}

void TstCalibration::testPageCrosshairLandsWhereItSays_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<double>("across");
    QTest::addColumn<double>("down");
    QTest::newRow("C6 landscape") << 11 << false << 0.0 << 0.0;
    QTest::newRow("DL portrait shifted") << 13 << true << 2.0 << -1.5;
}

void TstCalibration::testPageCrosshairLandsWhereItSays()
{
    QFETCH(int, format);
    QFETCH(bool, portrait);
    QFETCH(double, across);
    QFETCH(double, down);
    MainForm->HochformatCheck->setChecked(portrait);
    MainForm->ComboBox1->setCurrentIndex(format);
    MainForm->ComboBox1Change();
    Printer().setCalibration(PrinterCalibration());
    const PrinterCalibration trial{true, across, down};
    (*m_dialogs)->modalAnswers.enqueue([&](QDialog *d) {
        auto *dialog = qobject_cast<CalibrationDialog *>(d);
        if (!dialog)
            return int(QDialog::Rejected);
        dialog->FromEdgeCheck->setChecked(true);
        dialog->ShiftAcrossEd->setValue(across);
        dialog->ShiftDownEd->setValue(down);
        dialog->TestPageBtn->click();
        return int(QDialog::Rejected);
    });
    MainForm->Druckerjustieren1Click();
    // The trial set-up was for the test page only.
    QCOMPARE(Printer().calibration(), PrinterCalibration());
    const QString file = Printer().lastOutputFile();
    QVERIFY(file.endsWith(QStringLiteral("Testseite-1.pdf")) || file.contains(QStringLiteral("Testseite")));
    const PdfFacts facts = ReadPdf(file);
    QCOMPARE(facts.pages, 1);
    QVERIFY(SameMm(facts.firstPageMm, Printer().paperSizeMM()));
    QCOMPARE(facts.firstPageMm.width() < facts.firstPageMm.height(), portrait);
    const QImage page = RenderPdfPage(file, Dpi);
    const QPointF expect(TestPageCrossMm + across, TestPageCrossMm + down);
    const QPointF got = crossCentreMm(page, expect);
    QVERIFY2(qAbs(got.x() - expect.x()) <= 0.3 && qAbs(got.y() - expect.y()) <= 0.3,
             qPrintable(QStringLiteral("cross at %1, %2 mm").arg(got.x()).arg(got.y())));
    // The page names what it was printed with.
    QVERIFY(TestPageInfoLine(QString(), QStringLiteral("C6"), QSizeF(162, 114), trial)
                    .contains(QStringLiteral("Verschiebung: %1 mm nach rechts")
                                      .arg(QLocale().toString(across, 'f', 1))));
}

KUVERTINO_GUI_TEST_MAIN(TstCalibration)

#include "tst_calibration.moc"
