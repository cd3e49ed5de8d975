#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "TranslateTestSupport.h"

#include "app/FormStorage.h"
#include "app/MainUnit.h"
#include "app/PaintBox.h"
#include "app/RxSpinEdit.h"

#include <QComboBox>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>

// The screen this program runs on (compile definitions): one that holds the whole default sheet
// and one that does not.
#ifndef SCREEN_WIDTH
#error SCREEN_WIDTH and SCREEN_HEIGHT name the test screen
#endif

class TestFirstStart : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

    static QSize designed() { return QSize(715, 540 + MainForm->menuBar()->sizeHint().height()); }
    static QRect freeArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    // Room kept for the desktop's frame while it is not yet known.
    static QSize frameAllowance()
    {
        return QSize(8, 8 + MainForm->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, MainForm));
    }
    static bool sheetFitsTheScreen() { return SCREEN_HEIGHT >= 900; }

    void start(const QByteArray &options)
    {
        QVERIFY(writeBytes(TestEnv->settingsFolder() + QStringLiteral("options0.dat"), options));
        QVERIFY(writeBytes(TestEnv->programFolder() + QStringLiteral("translate.dat"),
                           tableBytes(deliveredTable())));
        CreateApplicationWindows();
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        for (int i = 0; i < 3; ++i) {
            MainForm->PaintBox1Paint(nullptr);
            QCoreApplication::processEvents();
        }
    }

    static QList<QStringList> deliveredTable()
    {
        QFile tsv(QStringLiteral(KUVERTINO_SOURCE_TSV));
        TTsvTable table;
        QString error;
        if (!tsv.open(QIODevice::ReadOnly) || !ParseTsvTable(tsv.readAll(), table, error))
            return {};
        return table.rows;
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(SCREEN_WIDTH, SCREEN_HEIGHT));
        QVERIFY(!deliveredTable().isEmpty());
    }
    void init()
    {
        QDir(TestEnv->settingsFolder()).removeRecursively();
        TFormStorage::openStore()->clear();
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    void sizeAtFirstStart_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::newRow("German") << hexBytes("00 00 00 00 00");
        QTest::newRow("English") << hexBytes("01 00 00 00 00");
        QTest::newRow("French") << hexBytes("02 00 00 00 00");
        QTest::newRow("Dutch") << hexBytes("03 00 00 00 00");
    }
    void sizeAtFirstStart()
    {
        QFETCH(QByteArray, options);
        start(options);
        QCOMPARE(MainForm->ZoomEd->value(), 100.0);
        const QRect window = MainForm->geometry();
        const QRect free = freeArea();
        const QSize frame = frameAllowance();
        // Never below the designed size.
        QVERIFY2(window.width() >= 715 && window.height() >= designed().height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(window.width()).arg(window.height())));
        // Centred, the frame's allowance included; a window wider than the free area (longer texts
        // on a small screen) starts at its left edge.
        QVERIFY(window.left() >= free.left() && window.top() >= free.top());
        const int leftGap = window.left() - free.left();
        const int rightGap = free.right() - window.right() - frame.width();
        if (window.width() + frame.width() <= free.width())
            QVERIFY2(qAbs(leftGap - rightGap) <= 1,
                     qPrintable(QStringLiteral("%1 / %2").arg(leftGap).arg(rightGap)));
        else
            QCOMPARE(leftGap, 0);
        // Nothing is squeezed: the window is at least as wide as its settings need.
        QVERIFY(window.width() >= MainForm->minimumSizeHint().width());

        QScrollArea *preview = MainForm->ScrollBox1;
        const QSize box = MainForm->PaintBox1->size();
        if (sheetFitsTheScreen()) {
            const int topGap = window.top() - free.top();
            const int bottomGap = free.bottom() - window.bottom() - frame.height();
            QVERIFY2(qAbs(topGap - bottomGap) <= 1,
                     qPrintable(QStringLiteral("%1 / %2").arg(topGap).arg(bottomGap)));
            // The whole sheet with its band, without a scroll bar, and no more room below it than
            // the settings leave.
            QVERIFY(!preview->horizontalScrollBar()->isVisible());
            QVERIFY(!preview->verticalScrollBar()->isVisible());
            QVERIFY(box.width() <= preview->viewport()->width());
            QCOMPARE(box.height(), preview->viewport()->height());
        } else {
            // As large as the free area allows, or the designed size where even that does not fit.
            QCOMPARE(window.height(), qMax(designed().height(), free.height() - frame.height()));
            QVERIFY(preview->verticalScrollBar()->isVisible());
        }
        // Every list shows its longest item whole, in every language.
        for (QComboBox *list : {MainForm->ComboBox1, MainForm->ComboBox2}) {
            int longest = 0;
            for (int i = 0; i < list->count(); ++i)
                longest = qMax(longest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
            QVERIFY2(list->width() >= list->sizeHint().width() && list->width() > longest,
                     qPrintable(list->objectName()));
        }
    }

    // A stored placement is the user's: the window takes it, whatever the sheet needs.
    void storedPlacementWins()
    {
        start(hexBytes("00 00 00 00 00"));
        const QRect chosen(freeArea().topLeft() + QPoint(10, 10), QSize(780, 560));
        MainForm->setGeometry(chosen);
        MainForm->close();
        DestroyApplicationWindows();
        start(hexBytes("00 00 00 00 00"));
        QCOMPARE(MainForm->geometry(), chosen);
    }
};

int main(int argc, char *argv[])
{
    IsolatedEnvironment env;
    TestEnv = &env;
    // One offscreen screen of the given size, without window frames.
    const QString config = env.path(QStringLiteral("screen.json"));
    QFile json(config);
    if (!json.open(QIODevice::WriteOnly))
        return 2;
    json.write(QStringLiteral(R"({"windowFrameMargins": false, "screens": [{"name": "Test", "x": 0, "y": 0,
        "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                       .arg(SCREEN_WIDTH)
                       .arg(SCREEN_HEIGHT)
                       .toUtf8());
    json.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.toLocal8Bit());
    QApplication app(argc, argv);
    env.prepareApplication();
    int rc = 0;
    {
        TestFirstStart tc;
        rc = QTest::qExec(&tc, argc, argv);
    }
    TestEnv = nullptr;
    return rc;
}

#include "tst_firststart.moc"
