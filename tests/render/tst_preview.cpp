#include "InkHelpers.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/BitBtnXP.h"
#include "app/FilenameEdit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PaintBox.h"
#include "app/Preview.h"
#include "app/RxSpinEdit.h"
#include "core/translateunit.h"
#include "print/Printer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

extern IsolatedEnvironment *TestEnv;

namespace {

// A printable page of exactly w x h inches, landscape when w > h.
void setPrintablePage(double w, double h)
{
    QPrinter &printer = Printer().qprinter();
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    printer.setPageSize(
            QPageSize(QSizeF(qMin(w, h), qMax(w, h)), QPageSize::Inch, QString(), QPageSize::ExactMatch));
    printer.setPageOrientation(w > h ? QPageLayout::Landscape : QPageLayout::Portrait);
}

QSize sheetSize()
{
    return MainForm->PaintBox1->size() - QSize(16, 16);
}

// Lets the preview reach its size and draw.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        MainForm->PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
    }
}

QImage directDrawing(QSize size, double zoom)
{
    QImage image = imageAtDpi(size.width(), size.height(), 96);
    QPainter p(&image);
    if (size.width() < size.height())
        MainForm->PaintToCanvasHochformat(p, 96, size.width(), size.height(), zoom, false);
    else
        MainForm->PaintToCanvas(p, 96, size.width(), size.height(), zoom, false);
    return image;
}

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QCOMPARE(MainForm->logicalDpiX(), 96);
        setPrintablePage(6, 4);
        settle();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
        QLocale::setDefault(QLocale::c());
    }

    void sixInchPage()
    {
        QCOMPARE(MainForm->PaintBox1->size(), QSize(592, 400));
        const QImage shot = MainForm->PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The sheet's outline runs along the bitmap's edges at (8, 8) .. (583, 391).
        auto isBlack = [](QRgb c) { return (c & 0xFFFFFF) == 0; };
        QCOMPARE(inkBox(shot, shot.rect(), isBlack), QRect(8, 8, 576, 384));
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("152.40mm x 101.60mm"));
    }

    void zoomFirstOnlyResizes()
    {
        const quint64 before = PreviewSheetDrawings();
        MainForm->ZoomEd->setValue(200);
        QCOMPARE(MainForm->PaintBox1->size(), QSize(1152 + 16, 768 + 16));
        QCOMPARE(PreviewSheetDrawings(), before);
        QTRY_VERIFY(PreviewSheetDrawings() > before);
        const quint64 drawn = PreviewSheetDrawings();
        // Same size again: this change draws at once.
        MainForm->InfoEd->setText(QStringLiteral("Antwort"));
        QVERIFY(PreviewSheetDrawings() > drawn);
    }

    void immediateRefresh_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *name : {"RandEd", "BildRandEd", "BildBreiteEd", "EmpfProEd", "EmpfPro2Ed", "InfoEd"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void immediateRefresh()
    {
        QFETCH(QString, field);
        const quint64 before = PreviewSheetDrawings();
        if (auto *spin = MainForm->findChild<TRxSpinEdit *>(field))
            spin->setValue(spin->value() + 1);
        else
            MainForm->InfoEd->setText(QStringLiteral("Antwort"));
        QCOMPARE(PreviewSheetDrawings(), before + 1);
    }

    void labelText_data()
    {
        QTest::addColumn<int>("pageWidth");
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<bool>("inch");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("mm, comma") << 7200 << 4800 << 1200 << false << "de_DE"
                                   << "152,40mm x 101,60mm";
        QTest::newRow("inch, comma") << 7200 << 4800 << 1200 << true << "de_DE"
                                     << "6,00 Zoll x 4,00 Zoll";
        QTest::newRow("mm, point") << 7200 << 4800 << 1200 << false << "C"
                                   << "152.40mm x 101.60mm";
        QTest::newRow("no group separator") << 4000 << 100 << 100 << false << "de_DE"
                                            << "1016,00mm x 25,40mm";
        QTest::newRow("25.39995 per inch") << 1000 << 1 << 1 << false << "C"
                                           << "25399.95mm x 25.40mm";
        QTest::newRow("inch rounding") << 1913 << 1346 << 300 << true << "en_US"
                                       << "6.38 Zoll x 4.49 Zoll";
    }
    void labelText()
    {
        QFETCH(int, pageWidth);
        QFETCH(int, pageHeight);
        QFETCH(int, dpi);
        QFETCH(bool, inch);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QCOMPARE(PageSizeLabelText(pageWidth,
                                   pageHeight,
                                   dpi,
                                   inch,
                                   QStringLiteral("mm"),
                                   QStringLiteral("Zoll"),
                                   QLocale(locale)),
                 text);
    }

    void labelWithCommaLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        MainForm->PaintBox1Paint(nullptr);
        QCOMPARE(MainForm->Label5->text(), "152,40" + MessageText(10) + " x 101,60" + MessageText(10));
        MainForm->language = 1;
        MainForm->Zollstattmm1->setChecked(false);
        QVERIFY(MainForm->isInchMode());
        MainForm->PaintBox1Paint(nullptr);
        const QString zoll = MessageText(13);
        QVERIFY(!zoll.isEmpty());
        QCOMPARE(MainForm->Label5->text(), "6,00 " + zoll + " x 4,00 " + zoll);
    }

    // The preview's pixels are those of the whole sheet drawn at once, also when only a scrolled
    // part of a large sheet is exposed.
    void previewMatchesWholeSheet_data()
    {
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<bool>("scrolled");
        QTest::newRow("landscape") << false << 100 << false;
        QTest::newRow("portrait") << true << 100 << false;
        QTest::newRow("landscape zoomed, scrolled") << false << 300 << true;
        QTest::newRow("portrait zoomed, scrolled") << true << 300 << true;
    }
    void previewMatchesWholeSheet()
    {
        QFETCH(bool, portrait);
        QFETCH(int, zoom);
        QFETCH(bool, scrolled);
        QImage logo(160, 120, QImage::Format_RGB32);
        logo.fill(Qt::red);
        const QString logoPath = TestEnv->path(QStringLiteral("logo.png"));
        QVERIFY(logo.save(logoPath));
        MainForm->Memo1->setText(QStringLiteral("Frau Erika Muster\r\nHauptstr. 1\r\n12345 Stadt"));
        MainForm->Memo2->setText(QStringLiteral("Hans Absender\r\nWeg 2"));
        MainForm->FilenameEdit1->setText(logoPath);
        setPrintablePage(portrait ? 4 : 6, portrait ? 6 : 4);
        MainForm->ZoomEd->setValue(zoom);
        settle();
        const QSize size = sheetSize();
        QCOMPARE(size,
                 portrait ? QSize(384 * zoom / 100, 576 * zoom / 100)
                          : QSize(576 * zoom / 100, 384 * zoom / 100));
        const QImage whole = directDrawing(size, zoom);
        QVERIFY(!inkBox(whole, whole.rect(), isRed).isNull());

        if (!scrolled) {
            const QImage shot = MainForm->PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shot.copy(8, 8, size.width(), size.height()), whole);
            return;
        }
        QScrollBar *h = MainForm->ScrollBox1->horizontalScrollBar();
        QScrollBar *v = MainForm->ScrollBox1->verticalScrollBar();
        QVERIFY(h->maximum() > 0 && v->maximum() > 0);
        h->setValue(h->maximum() / 2);
        v->setValue(v->maximum() / 2);
        QCoreApplication::processEvents();
        QWidget *viewport = MainForm->ScrollBox1->viewport();
        const QImage shot = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // Viewport pixel (x, y) shows sheet pixel (x + h - 8, y + v - 8).
        const QPoint offset(h->value() - 8, v->value() - 8);
        const QRect visible = QRect(offset, shot.size()) & whole.rect();
        QVERIFY(visible.width() > 100 && visible.height() > 100);
        QCOMPARE(shot.copy(visible.translated(-offset)), whole.copy(visible));
    }

    void typingRedrawsAfterTimer()
    {
        QVERIFY(!MainForm->Timer1->isActive());
        QCOMPARE(MainForm->Timer1->interval(), 1000);
        QCoreApplication::processEvents();
        const quint64 before = PreviewSheetDrawings();
        MainForm->Memo1->setFocus();
        QTest::keyClicks(MainForm->Memo1, QStringLiteral("Herr"));
        QCoreApplication::processEvents();
        QCOMPARE(PreviewSheetDrawings(), before);
        QVERIFY(MainForm->Timer1->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(PreviewSheetDrawings() > before, 5000);
        // The timer keeps running: the sheet is drawn again on the next tick.
        const quint64 first = PreviewSheetDrawings();
        QVERIFY(MainForm->Timer1->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(PreviewSheetDrawings() > first, 5000);
    }

    void timerRestartedByEachField_data()
    {
        QTest::addColumn<int>("field");
        QTest::newRow("Memo1") << 1;
        QTest::newRow("Memo2") << 2;
        QTest::newRow("FilenameEdit1") << 3;
    }
    void timerRestartedByEachField()
    {
        QFETCH(int, field);
        QVERIFY(!MainForm->Timer1->isActive());
        const quint64 before = PreviewSheetDrawings();
        if (field == 1)
            MainForm->Memo1->setText(QStringLiteral("x"));
        else if (field == 2)
            MainForm->Memo2->setText(QStringLiteral("x"));
        else
            MainForm->FilenameEdit1->setText(QStringLiteral("x"));
        QVERIFY(MainForm->Timer1->isActive());
        QCOMPARE(PreviewSheetDrawings(), before);
    }

    void fontDialogRedraws_data()
    {
        QTest::addColumn<bool>("sender");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("recipient, cancelled") << false << false;
        QTest::newRow("recipient, confirmed") << false << true;
        QTest::newRow("sender, cancelled") << true << false;
        QTest::newRow("sender, confirmed") << true << true;
    }
    void fontDialogRedraws()
    {
        QFETCH(bool, sender);
        QFETCH(bool, confirm);
        (*m_dialogs)->fontAnswers.enqueue([confirm](TFontRec &font) {
            if (confirm)
                font.size = 20;
            return confirm;
        });
        const quint64 before = PreviewSheetDrawings();
        (sender ? MainForm->Schrift2Btn : MainForm->Schrift1Btn)->click();
        QCOMPARE((*m_dialogs)->fontDialogs, 1);
        QCOMPARE(PreviewSheetDrawings(), before + 1);
        const TFontRec &changed = (sender ? MainForm->FontDialog2 : MainForm->FontDialog1)->Font;
        const TFontRec &other = (sender ? MainForm->FontDialog1 : MainForm->FontDialog2)->Font;
        QCOMPARE(changed.size, confirm ? 20 : 11);
        QCOMPARE(other.size, 11);
    }

    void wheelScrollsUnlessFormatListFocused()
    {
        MainForm->ZoomEd->setValue(400);
        settle();
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        QScrollBar *bar = MainForm->ScrollBox1->verticalScrollBar();
        QVERIFY(bar->maximum() > 100);
        QCOMPARE(bar->value(), 0);

        MainForm->ComboBox1->setFocus();
        QTRY_VERIFY(MainForm->ComboBox1->hasFocus());
        MainForm->FormMouseWheelDown();
        QCOMPARE(bar->value(), 0);

        QTest::mouseClick(MainForm->PaintBox1, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(MainForm->Edit1->hasFocus());
        MainForm->FormMouseWheelDown();
        QCOMPARE(bar->value(), 20);
        MainForm->FormMouseWheelDown();
        QCOMPARE(bar->value(), 40);
        MainForm->FormMouseWheelUp();
        QCOMPARE(bar->value(), 20);
        MainForm->FormMouseWheelUp();
        MainForm->FormMouseWheelUp();
        QCOMPARE(bar->value(), 0); // kept within range

        // A real wheel step over the preview goes the same way.
        const QPointF at(30, 30);
        QWheelEvent down(at,
                         MainForm->PaintBox1->mapToGlobal(at),
                         QPoint(),
                         QPoint(0, -120),
                         Qt::NoButton,
                         Qt::NoModifier,
                         Qt::NoScrollPhase,
                         false);
        QApplication::sendEvent(MainForm->PaintBox1, &down);
        QCOMPARE(bar->value(), 20);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestPreview)
#include "tst_preview.moc"
