#include "TestEnvironment.h"
#include "app/Preview.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

namespace {

// A window laid out like the main window: a text field, a plain panel, and the preview area.
struct Window
{
    QWidget window;
    QPlainTextEdit *memo;
    QWidget *panel;
    QLabel *label;
    QScrollArea *preview;
    QWidget *sheet;
    PreviewWheelFilter *filter;

    Window()
    {
        auto *layout = new QVBoxLayout(&window);
        memo = new QPlainTextEdit(&window);
        memo->setFixedHeight(60);
        QStringList lines;
        for (int i = 0; i < 50; ++i)
            lines.append(QString::number(i));
        memo->setPlainText(lines.join(u'\n'));
        panel = new QWidget(&window);
        label = new QLabel(QStringLiteral("Rand in mm:"), panel);
        preview = new QScrollArea(&window);
        sheet = new QWidget;
        sheet->resize(300, 2000);
        preview->setWidget(sheet);
        layout->addWidget(memo);
        layout->addWidget(panel);
        layout->addWidget(preview, 1);
        window.resize(400, 400);
        filter = new PreviewWheelFilter(&window, preview);
    }
};

void sendWheel(QObject *target, int delta, QPointF at = QPointF(5, 5))
{
    QWheelEvent wheel(
            at, at, QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

} // namespace

class TestWheelFilter : public QObject
{
    Q_OBJECT

private slots:
    void steps_data()
    {
        QTest::addColumn<QList<int>>("deltas");
        QTest::addColumn<int>("down");
        QTest::addColumn<int>("up");
        QTest::newRow("one notch down") << QList<int>{-120} << 1 << 0;
        QTest::newRow("one notch up") << QList<int>{120} << 0 << 1;
        QTest::newRow("two notches in one event") << QList<int>{-240} << 2 << 0;
        QTest::newRow("each of several events") << QList<int>{-120, -120, -120} << 3 << 0;
        QTest::newRow("half steps add up") << QList<int>{-60, -60} << 1 << 0;
        QTest::newRow("half a step waits") << QList<int>{-60} << 0 << 0;
        QTest::newRow("a fine wheel") << QList<int>{-15, -15, -15, -15, -15, -15, -15, -15} << 1 << 0;
        QTest::newRow("turned back before a step") << QList<int>{-60, 120} << 0 << 0;
        QTest::newRow("down then up") << QList<int>{-120, 120, 120} << 1 << 2;
        QTest::newRow("sideways only") << QList<int>{0} << 0 << 0;
    }
    void steps()
    {
        QFETCH(QList<int>, deltas);
        Window w;
        QSignalSpy down(w.filter, &PreviewWheelFilter::stepDown);
        QSignalSpy up(w.filter, &PreviewWheelFilter::stepUp);
        // Successive events here are made in one place, so they may well share one address.
        for (int delta : deltas)
            sendWheel(w.sheet, delta);
        QTEST(int(down.size()), "down");
        QTEST(int(up.size()), "up");
    }

    void oneTurnCountsOnceOnItsWay_data()
    {
        QTest::addColumn<QString>("over");
        QTest::newRow("preview") << "sheet";
        QTest::newRow("label passes it to its parents") << "label";
        QTest::newRow("text field hands it to its scroll bar") << "memo";
    }
    void oneTurnCountsOnceOnItsWay()
    {
        QFETCH(QString, over);
        Window w;
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QWidget *target = over == QLatin1String("sheet")   ? w.sheet
                          : over == QLatin1String("label") ? static_cast<QWidget *>(w.label)
                                                           : w.memo->viewport();
        QSignalSpy down(w.filter, &PreviewWheelFilter::stepDown);
        const int memoBefore = w.memo->verticalScrollBar()->value();

        // Through the window system's window, the way a real wheel comes.
        const QPointF at = target->mapTo(&w.window, QPointF(5, 5));
        sendWheel(w.window.windowHandle(), -120, at);
        QCOMPARE(down.size(), 1);
        sendWheel(w.window.windowHandle(), -120, at);
        QCOMPARE(down.size(), 2);

        // Over the preview the wheel makes steps only; a text field still scrolls itself.
        QCOMPARE(w.preview->verticalScrollBar()->value(), 0);
        if (over == QLatin1String("memo"))
            QVERIFY(w.memo->verticalScrollBar()->value() > memoBefore);
    }

    void eachWindowCountsForItself()
    {
        Window a;
        Window b;
        QSignalSpy downA(a.filter, &PreviewWheelFilter::stepDown);
        QSignalSpy downB(b.filter, &PreviewWheelFilter::stepDown);
        sendWheel(a.sheet, -60);
        sendWheel(b.sheet, -60);
        QCOMPARE(downA.size(), 0);
        QCOMPARE(downB.size(), 0);
        sendWheel(a.sheet, -60);
        QCOMPARE(downA.size(), 1);
        QCOMPARE(downB.size(), 0);
    }

    void aWindowMadeAgainStartsFromNothing()
    {
        {
            Window before;
            sendWheel(before.sheet, -60);
        }
        Window again;
        QSignalSpy down(again.filter, &PreviewWheelFilter::stepDown);
        sendWheel(again.sheet, -60);
        QCOMPARE(down.size(), 0);
        sendWheel(again.sheet, -60);
        QCOMPARE(down.size(), 1);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestWheelFilter)
#include "tst_wheelfilter.moc"
