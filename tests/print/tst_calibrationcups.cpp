// Exact placement through the real print service, on two drivers with an unprintable border: the
// cups-pdf queue and a generic PostScript queue whose socket device is a listener in this test. Each
// envelope is printed three ways (from the printable area, from the paper's edge, with a shift) and its
// ink is found on the job rendered at 300 dpi, against the same envelope on the borderless built-in
// PDF printer. Without a reachable print service this test fails; it never skips.

#include "CupsTools.h"
#include "InkHelpers.h"
#include "PdfCheck.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PaintBox.h"
#include "app/RxSpinEdit.h"
#include "core/PaperFormats.h"
#include "print/Printer.h"
#include "print/PrinterCalibration.h"
#include "print/TestPage.h"

#include <cups/cups.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

constexpr double Dpi = 300.0;
const QString PsQueue = QStringLiteral("Kuvertino-PS");

double pxToMm(double px)
{
    return px / Dpi * 25.4;
}

ipp_jstate_t jobState(const QString &queue, int id)
{
    cups_job_t *jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    for (int i = 0; i < n; ++i)
        if (jobs[i].id == id)
            state = jobs[i].state;
    cupsFreeJobs(n, jobs);
    return state;
}

// The ink of the whole page, in millimetres from the paper's top-left corner.
QPointF inkTopLeftMm(const QImage &page)
{
    const QRect box = inkBox(
            page.convertToFormat(QImage::Format_RGB32), page.rect(), [](QRgb c) { return qGray(c) < 160; });
    return box.isNull() ? QPointF(-1000, -1000) : QPointF(pxToMm(box.left()), pxToMm(box.top()));
}

} // namespace

class TstCalibrationCups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void envelopeLandsWhereItShould_data();
    void envelopeLandsWhereItShould();
    void previewShowsThePrintableBorder();
    void testPageCrosshairThroughTheService();

private:
    void choosePaper(int format);
    // Prints the envelope (or the test page) on the current printer and returns the job at 300 dpi.
    QImage printAndRender(bool testPage = false);
    QImage printAndRenderAsPrinted(bool testPage);
    QString cupsPdfFileOf(int jobId) const;

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;
    QTcpServer m_listener;
    QList<QByteArray> m_received; // one entry per finished connection: one PostScript job
    QString m_pdfQueue;
    QString m_outDir;
};

void TstCalibrationCups::initTestCase()
{
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    QVERIFY2(dest, "No default printer from the print service. Run scripts/cups-setup.sh as root.");
    m_pdfQueue = QString::fromUtf8(dest->name);
    cupsFreeDests(1, dest);
    m_outDir = CupsPdfOutputFolder();
    QVERIFY2(QDir(m_outDir).exists(), qPrintable(m_outDir));

    // The PostScript printer: every connection the socket backend makes is one job.
    QVERIFY(m_listener.listen(QHostAddress::LocalHost, 0));
    connect(&m_listener, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *s = m_listener.nextPendingConnection()) {
            auto *data = new QByteArray;
            connect(s, &QTcpSocket::readyRead, s, [s, data] { data->append(s->readAll()); });
            connect(s, &QTcpSocket::disconnected, this, [this, s, data] {
                data->append(s->readAll());
                m_received.append(*data);
                delete data;
                s->deleteLater();
            });
        }
    });
    int rc = 0;
    const QString out = RunTool(QStringLiteral("lpadmin"),
                                {QStringLiteral("-p"),
                                 PsQueue,
                                 QStringLiteral("-E"),
                                 QStringLiteral("-v"),
                                 QStringLiteral("socket://127.0.0.1:%1").arg(m_listener.serverPort()),
                                 QStringLiteral("-m"),
                                 QStringLiteral("drv:///sample.drv/generic.ppd")},
                                &rc);
    QVERIFY2(rc == 0, qPrintable(out));

    m_dialogs = std::make_unique<ScriptedDialogsGuard>();
    TPrinter::setPdfOutputFolder(TestEnv->pdfFolder());
    CreateApplicationWindows();
    MainForm->Memo1->setText(QString());
    MainForm->Memo2->setText(QStringLiteral("HHH Absender"));
}

void TstCalibrationCups::cleanupTestCase()
{
    DestroyApplicationWindows();
    m_dialogs.reset();
    RunTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), PsQueue});
}

void TstCalibrationCups::choosePaper(int format)
{
    MainForm->HochformatCheck->setChecked(false);
    MainForm->ComboBox1->setCurrentIndex(format);
    MainForm->ComboBox1Change();
}

QString TstCalibrationCups::cupsPdfFileOf(int jobId) const
{
    const QRegularExpression label(QStringLiteral("(^job_%1-|-job_%1\\.pdf$)").arg(jobId));
    for (int tries = 0; tries < 200; ++tries) {
        for (const QString &f : QDir(m_outDir).entryList({QStringLiteral("*.pdf")}, QDir::Files))
            if (label.match(f).hasMatch())
                return QDir(m_outDir).filePath(f);
        QTest::qWait(50);
    }
    return QString();
}

// The service hands a landscape page over as the paper lies in the printer, turned a quarter: turn it
// back so that the image's top-left corner is the page's.
QImage asLandscapeIfPaperIs(const QImage &page)
{
    if (page.isNull() || !Printer().isLandscape() || page.width() >= page.height())
        return page;
    return page.transformed(QTransform().rotate(90));
}

QImage TstCalibrationCups::printAndRender(bool testPage)
{
    return asLandscapeIfPaperIs(printAndRenderAsPrinted(testPage));
}

QImage TstCalibrationCups::printAndRenderAsPrinted(bool testPage)
{
    TPrinter &printer = Printer();
    const int jobsBefore = m_received.size();
    if (testPage)
        PrintTestPage(printer, printer.calibration());
    else
        MainForm->Drucken1Click();
    if (printer.isBuiltInPdfPrinter())
        return RenderPdfPage(printer.lastOutputFile(), Dpi);
    const QString queue = printer.printerName();
    const int id = printer.lastJobId();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 120000) {
        const ipp_jstate_t s = jobState(queue, id);
        if (s == IPP_JSTATE_COMPLETED && (queue != PsQueue || m_received.size() > jobsBefore))
            break;
        if (s == IPP_JSTATE_ABORTED || s == IPP_JSTATE_CANCELED)
            return QImage();
        QTest::qWait(100);
    }
    if (queue != PsQueue)
        return RenderPdfPage(cupsPdfFileOf(id), Dpi);
    if (m_received.size() <= jobsBefore)
        return QImage();
    const QString ps = TestEnv->path(QStringLiteral("job-%1.ps").arg(id));
    const QString png = TestEnv->path(QStringLiteral("job-%1.png").arg(id));
    QFile f(ps);
    if (!f.open(QIODevice::WriteOnly) || f.write(m_received.last()) != m_received.last().size())
        return QImage();
    f.close();
    RunTool(QStringLiteral("gs"),
            {QStringLiteral("-q"),
             QStringLiteral("-dSAFER"),
             QStringLiteral("-dBATCH"),
             QStringLiteral("-dNOPAUSE"),
             QStringLiteral("-sDEVICE=pnggray"),
             QStringLiteral("-r300"),
             QStringLiteral("-dFirstPage=1"),
             QStringLiteral("-dLastPage=1"),
             QStringLiteral("-sOutputFile=") + png,
             ps});
    return QImage(png);
}

void TstCalibrationCups::envelopeLandsWhereItShould_data()
{
    QTest::addColumn<QString>("queue");
    QTest::addColumn<int>("format");
    QTest::newRow("cups-pdf C6") << QString() << 11;
    QTest::newRow("PostScript DL") << PsQueue << 13;
}

void TstCalibrationCups::envelopeLandsWhereItShould()
{
    QFETCH(QString, queue);
    QFETCH(int, format);
    if (queue.isEmpty())
        queue = m_pdfQueue;

    // Where the ink lies on a paper without border, measured from its corner.
    Printer().useBuiltInPdfPrinter();
    choosePaper(format);
    const QPointF reference = inkTopLeftMm(printAndRender());
    QVERIFY(reference.x() > 0);

    Printer().selectPrinter(queue);
    QCOMPARE(Printer().printerName(), queue);
    SaveCalibration(queue, PrinterCalibration());
    Printer().setCalibration(PrinterCalibration());
    choosePaper(format);
    const QMarginsF border = Printer().unprintableMarginsMM();
    qInfo("border %s: %.3f, %.3f, %.3f, %.3f mm",
          QTest::currentDataTag(),
          border.left(),
          border.top(),
          border.right(),
          border.bottom());
    QVERIFY2(border.left() > 1 && border.top() > 1,
             qPrintable(QStringLiteral("border %1, %2 mm").arg(border.left()).arg(border.top())));

    struct Way
    {
        const char *name;
        PrinterCalibration calibration;
    };
    // Each way of feeding the envelope, once turned back, puts the ink where the envelope lying has it.
    const QList<Way> ways = {
            {"printable area", PrinterCalibration()},
            {"paper edge", PrinterCalibration{true, 0, 0}},
            {"paper edge and shift", PrinterCalibration{true, 2.5, -1.5}},
            {"short edge first", PrinterCalibration{true, 2.5, -1.5, true, false}},
            {"short edge first, turned", PrinterCalibration{true, 2.5, -1.5, true, true}},
            {"long edge first, turned", PrinterCalibration{true, 2.5, -1.5, false, true}},
            {"short edge first, printable area", PrinterCalibration{false, 0, 0, true, false}},
    };
    for (const Way &way : ways) {
        const PrinterCalibration &c = way.calibration;
        Printer().setCalibration(c);
        // From the printable area the page begins at the border as the envelope lies.
        const QMarginsF own = c.fromPaperEdge ? QMarginsF() : Printer().unprintableMarginsMM();
        const QPointF expected
                = reference + QPointF(own.left(), own.top()) + QPointF(c.shiftAcrossMm, c.shiftDownMm);
        QImage page = printAndRenderAsPrinted(false);
        // A job fed short edge first is a page turned a quarter clockwise against the envelope;
        // one fed long edge first comes as any landscape job.
        page = c.shortEdgeFirst ? page.transformed(QTransform().rotate(-90)) : asLandscapeIfPaperIs(page);
        if (c.turnedHalf)
            page = page.transformed(QTransform().rotate(180));
        QVERIFY2(!page.isNull(), way.name);
        // The job's page is the whole paper in every way.
        QVERIFY2(SameMm(QSizeF(pxToMm(page.width()), pxToMm(page.height())), Printer().paperSizeMM(), 1.0),
                 qPrintable(QStringLiteral("%1: page %2 x %3 mm, paper %4")
                                    .arg(QLatin1String(way.name))
                                    .arg(pxToMm(page.width()))
                                    .arg(pxToMm(page.height()))
                                    .arg(MmText(Printer().paperSizeMM()))));
        const QPointF got = inkTopLeftMm(page);
        const QPointF error = got - expected;
        qInfo("placement %s, %s: error across %.3f mm, down %.3f mm",
              QTest::currentDataTag(),
              way.name,
              error.x(),
              error.y());
        QVERIFY2(qAbs(error.x()) <= 0.3 && qAbs(error.y()) <= 0.3,
                 qPrintable(QStringLiteral("%1: ink at %2, %3 mm, expected %4, %5 mm")
                                    .arg(QLatin1String(way.name))
                                    .arg(got.x())
                                    .arg(got.y())
                                    .arg(expected.x())
                                    .arg(expected.y())));
    }
    Printer().setCalibration(PrinterCalibration());
}

void TstCalibrationCups::previewShowsThePrintableBorder()
{
    Printer().selectPrinter(m_pdfQueue);
    choosePaper(11);
    const int D = MainForm->logicalDpiX();
    auto sheetOf = [&](const QImage &box) { return box.copy(8, 8, box.width() - 16, box.height() - 16); };
    auto dashPixels = [](const QImage &sheet, int row) {
        int n = 0;
        for (int x = 0; x < sheet.width(); ++x)
            n += (sheet.pixel(x, row) & 0xFFFFFF) == 0x808080;
        return n;
    };

    Printer().setCalibration(PrinterCalibration());
    MainForm->PaintBox1Paint(nullptr);
    MainForm->PaintBox1Paint(nullptr);
    const QImage plain = sheetOf(MainForm->PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB32));

    Printer().setCalibration(PrinterCalibration{true, 3, 3});
    MainForm->PaintBox1Paint(nullptr);
    MainForm->PaintBox1Paint(nullptr);
    const QImage edge = sheetOf(MainForm->PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB32));
    const QSizeF paper = Printer().paperSizeMM();
    const QMarginsF border = Printer().unprintableMarginsMM();
    Printer().setCalibration(PrinterCalibration());

    // The sheet is the whole paper now, and the printable area before.
    QVERIFY2(qAbs(edge.width() - paper.width() / 25.4 * D) <= 1.0
                     && qAbs(edge.height() - paper.height() / 25.4 * D) <= 1.0,
             qPrintable(QStringLiteral("%1 x %2 px").arg(edge.width()).arg(edge.height())));
    QVERIFY(plain.width() < edge.width());
    const QRect printable = PrintableRectInSheet(edge.size(), paper, border);
    QVERIFY(printable.left() > 0 && printable.top() > 0);
    // A dashed line on the border's edges: partly drawn, never a solid line; nothing one pixel outside.
    const int along = printable.width();
    QVERIFY2(dashPixels(edge, printable.top()) > along / 4 && dashPixels(edge, printable.top()) < along,
             qPrintable(QString::number(dashPixels(edge, printable.top()))));
    QVERIFY(dashPixels(edge, printable.bottom()) > along / 4);
    QCOMPARE(dashPixels(edge, printable.top() - 1), 0);
    for (int y = 0; y < plain.height(); ++y)
        QCOMPARE(dashPixels(plain, y), 0);
    // The shift is for printing only: the preview's envelope sits at the margin from the sheet's edge.
    const int margin = LengthToPixels(15, false, D, 100);
    const QRect ink = inkBox(edge, edge.rect().adjusted(1, 1, -1, -1), [](QRgb c) { return qGray(c) < 100; });
    QVERIFY2(qAbs(ink.left() - margin) <= 2 && qAbs(ink.top() - margin) <= 4,
             qPrintable(QStringLiteral("%1,%2 vs %3").arg(ink.left()).arg(ink.top()).arg(margin)));
}

void TstCalibrationCups::testPageCrosshairThroughTheService()
{
    Printer().selectPrinter(m_pdfQueue);
    choosePaper(11);
    for (bool fromEdge : {false, true}) {
        Printer().setCalibration(PrinterCalibration{fromEdge, 1.0, 2.0});
        const QImage page = printAndRender(true);
        QVERIFY(!page.isNull());
        const QPointF expect(TestPageCrossMm + 1.0, TestPageCrossMm + 2.0);
        // The column and the row with the most ink near the cross are its two lines.
        const QImage g = page.convertToFormat(QImage::Format_Grayscale8);
        const int cx = int(expect.x() / 25.4 * Dpi), cy = int(expect.y() / 25.4 * Dpi),
                  r = int(6 / 25.4 * Dpi);
        int bestX = 0, bestXInk = -1, bestY = 0, bestYInk = -1;
        for (int i = -r; i <= r; ++i) {
            int inkX = 0, inkY = 0;
            for (int j = -r; j <= r; ++j) {
                inkX += qGray(g.pixel(cx + i, cy + j)) < 128;
                inkY += qGray(g.pixel(cx + j, cy + i)) < 128;
            }
            if (inkX > bestXInk)
                bestXInk = inkX, bestX = cx + i;
            if (inkY > bestYInk)
                bestYInk = inkY, bestY = cy + i;
        }
        const QPointF got(pxToMm(bestX + 0.5), pxToMm(bestY + 0.5));
        qInfo("test page cross %s: error %.3f, %.3f mm",
              fromEdge ? "from the paper edge" : "from the printable area",
              got.x() - expect.x(),
              got.y() - expect.y());
        QVERIFY2(qAbs(got.x() - expect.x()) <= 0.3 && qAbs(got.y() - expect.y()) <= 0.3,
                 qPrintable(QStringLiteral("cross at %1, %2 mm").arg(got.x()).arg(got.y())));
    }
    Printer().setCalibration(PrinterCalibration());
}

KUVERTINO_GUI_TEST_MAIN_WITH_PRINTER(TstCalibrationCups, TestPrinter::SystemDefault)

#include "tst_calibrationcups.moc"
