#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PaintBox.h"
#include "app/Preview.h"
#include "app/RxSpinEdit.h"
#include "print/Printer.h"

#include <QAction>
#include <QPageLayout>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

namespace {

// A printable page of exactly w x h millimetres, landscape when w > h.
void setPrintablePage(double w, double h)
{
    QPrinter &printer = Printer().qprinter();
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setPageSize(QPageSize(
            QSizeF(qMin(w, h), qMax(w, h)), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    printer.setPageOrientation(w > h ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        MainForm->PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
    }
}

} // namespace

class TestWholeSheet : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
        MainForm->resize(900, 700);
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QCOMPARE(MainForm->logicalDpiX(), 96);
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    // Page sizes in printer pixels: C6 (162 x 114 mm) at 1200 dpi and A4 at 600 dpi.
    void zoomValue_data()
    {
        QTest::addColumn<int>("pageWidth");
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<int>("screenDpi");
        QTest::addColumn<int>("printerDpi");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<int>("zoom");
        // At 66 the sheet is 404 x 284 and its box 300 high; at 67 it would be 288 + 16.
        QTest::newRow("C6, height bound") << 7654 << 5386 << 96 << 1200 << QSize(700, 300) << 66;
        QTest::newRow("C6, box exactly at 100") << 7654 << 5386 << 96 << 1200 << QSize(628, 446) << 100;
        QTest::newRow("C6, one pixel narrower") << 7654 << 5386 << 96 << 1200 << QSize(627, 446) << 99;
        QTest::newRow("C6, one pixel lower") << 7654 << 5386 << 96 << 1200 << QSize(628, 445) << 99;
        QTest::newRow("C6, wide preview") << 7654 << 5386 << 96 << 1200 << QSize(1900, 700) << 158;
        QTest::newRow("A4, height bound") << 4961 << 7016 << 96 << 600 << QSize(700, 500) << 43;
        QTest::newRow("A4, width bound") << 4961 << 7016 << 96 << 600 << QSize(400, 1000) << 48;
        QTest::newRow("A4, 144 dpi screen") << 4961 << 7016 << 144 << 600 << QSize(1200, 900) << 52;
        QTest::newRow("nothing fits: least zoom") << 7654 << 5386 << 96 << 1200 << QSize(50, 50) << 10;
        QTest::newRow("everything fits: greatest zoom")
                << 7654 << 5386 << 96 << 1200 << QSize(20000, 20000) << 1000;
    }
    void zoomValue()
    {
        QFETCH(int, pageWidth);
        QFETCH(int, pageHeight);
        QFETCH(int, screenDpi);
        QFETCH(int, printerDpi);
        QFETCH(QSize, area);
        QTEST(WholeSheetZoom(pageWidth, pageHeight, screenDpi, printerDpi, area, 10, 1000), "zoom");
    }

    // The command sets the field, and the preview follows as for a typed zoom: the sheet then fills
    // the preview without a scroll bar, and one more percent would not fit.
    void commandFitsTheSheet_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("startZoom");
        QTest::newRow("C6 from 100") << 162.0 << 114.0 << 100;
        QTest::newRow("C6 from 1000") << 162.0 << 114.0 << 1000;
        QTest::newRow("A4 from 10") << 210.0 << 297.0 << 10;
        QTest::newRow("A4 from 300") << 210.0 << 297.0 << 300;
    }
    void commandFitsTheSheet()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(int, startZoom);
        setPrintablePage(width, height);
        MainForm->ZoomEd->setValue(startZoom);
        settle();
        MainForm->GanzesBlatt1->trigger();
        settle();
        const int zoom = int(MainForm->ZoomEd->value());
        QCOMPARE(MainForm->ZoomEd->text(), QString::number(zoom));
        const QSize area = MainForm->ScrollBox1->maximumViewportSize();
        QCOMPARE(zoom,
                 WholeSheetZoom(Printer().pageWidth(),
                                Printer().pageHeight(),
                                96,
                                Printer().resolutionX(),
                                area,
                                10,
                                1000));
        QVERIFY(zoom > 10 && zoom < 1000);
        QVERIFY(!MainForm->ScrollBox1->horizontalScrollBar()->isVisible());
        QVERIFY(!MainForm->ScrollBox1->verticalScrollBar()->isVisible());
        const QSize box = MainForm->PaintBox1->size();
        QVERIFY(box.width() <= area.width() && box.height() <= area.height());
        // One step further and the sheet would not fit: it is the largest zoom that does.
        MainForm->ZoomEd->setValue(zoom + 1);
        settle();
        const QSize bigger = MainForm->PaintBox1->size();
        QVERIFY(bigger.width() > area.width() || bigger.height() > area.height());
    }

    // Ctrl+0 anywhere in the main window, and the small button beside the zoom field.
    void shortcutAndButton()
    {
        setPrintablePage(162, 114);
        settle();
        QApplication::setActiveWindow(MainForm);
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        MainForm->ZoomEd->setValue(500);
        MainForm->Memo1->setFocus();
        QTest::keyClick(MainForm->Memo1, Qt::Key_0, Qt::ControlModifier);
        const int fitted = int(MainForm->ZoomEd->value());
        QVERIFY(fitted < 500);
        MainForm->ZoomEd->setValue(500);
        auto *button = MainForm->findChild<QToolButton *>(QStringLiteral("GanzesBlattBtn"));
        QVERIFY(button && button->isVisible());
        QCOMPARE(button->defaultAction(), MainForm->GanzesBlatt1);
        QVERIFY(!button->icon().isNull());
        button->click();
        QCOMPARE(int(MainForm->ZoomEd->value()), fitted);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestWholeSheet)
#include "tst_wholesheet.moc"
