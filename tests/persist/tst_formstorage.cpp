#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/FormStorage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QWidget>

namespace {

// A window that notes where it stood when its own show handler ran.
class ProbeWindow : public QWidget
{
public:
    ProbeWindow() { resize(300, 200); }
    QRect geometryInShowEvent;

protected:
    void showEvent(QShowEvent *) override { geometryInShowEvent = geometry(); }
};

QString group()
{
    return QStringLiteral("tst_formstorage/TProbeForm");
}

void storeRecord(const QMap<QString, QString> &values)
{
    auto store = TFormStorage::openStore();
    store->remove(group());
    store->beginGroup(group());
    for (auto it = values.begin(); it != values.end(); ++it)
        store->setValue(it.key(), it.value());
    store->endGroup();
    store->sync();
}

QString stored(const QString &name)
{
    auto store = TFormStorage::openStore();
    return store->value(group() + QLatin1Char('/') + name).toString();
}

using Record = QMap<QString, QString>;

// Where the platform puts a window given rect: a window manager keeps the frame of one at the
// screen's corner on the screen.
QRect placedBy(const QRect &rect)
{
    ProbeWindow w;
    w.setGeometry(rect);
    w.show();
    return w.normalGeometry();
}

int screenPpi()
{
    return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchX());
}

} // namespace

class TestFormStorage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        auto store = TFormStorage::openStore();
        store->clear();
        store->sync();
        m_window = std::make_unique<ProbeWindow>();
        m_window->setGeometry(30, 40, 300, 200);
        m_storage = new TFormStorage(m_window.get(), QStringLiteral("TProbeForm"));
    }
    void cleanup() { m_window.reset(); }

    void parseInts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("read");
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("four") << "1,2,3,4" << 4 << QList<int>{1, 2, 3, 4};
        QTest::newRow("two") << "10,20" << 2 << QList<int>{10, 20, 7, 7};
        QTest::newRow("empty") << "" << 0 << QList<int>{7, 7, 7, 7};
        QTest::newRow("word first") << "a,1" << 0 << QList<int>{7, 7, 7, 7};
        QTest::newRow("blanks") << " 5, 6,7,8" << 4 << QList<int>{5, 6, 7, 8};
        QTest::newRow("semicolon") << "1;2" << 1 << QList<int>{1, 7, 7, 7};
        QTest::newRow("signs") << "-5,+3,0,-0" << 4 << QList<int>{-5, 3, 0, 0};
        QTest::newRow("too big") << "1,99999999999,3" << 1 << QList<int>{1, 7, 7, 7};
        QTest::newRow("trailing") << "1,2,3,4,5x" << 4 << QList<int>{1, 2, 3, 4};
    }
    void parseInts()
    {
        QFETCH(QString, text);
        QFETCH(int, read);
        QFETCH(QList<int>, values);
        std::array<int, 4> v{7, 7, 7, 7};
        QCOMPARE(ParsePlacementInts(text, v), read);
        QCOMPARE((QList<int>{v[0], v[1], v[2], v[3]}), values);
        if (read == 4)
            QCOMPARE(FormatPlacementInts(v),
                     QStringLiteral("%1,%2,%3,%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]));
    }

    void showCmd_data()
    {
        QTest::addColumn<int>("cmd");
        QTest::addColumn<int>("state");
        const int normal = Qt::WindowNoState, min = Qt::WindowMinimized, max = Qt::WindowMaximized;
        for (auto [cmd, state] : {std::pair{1, normal},
                                  {5, normal},
                                  {9, normal},
                                  {2, min},
                                  {6, min},
                                  {7, min},
                                  {3, max},
                                  {0, normal},
                                  {4, normal},
                                  {8, normal},
                                  {-1, normal}})
            QTest::addRow("%d", cmd) << cmd << state;
    }
    void showCmd()
    {
        QFETCH(int, cmd);
        QFETCH(int, state);
        QCOMPARE(int(WindowStateFromShowCmd(cmd)), state);
    }

    void writesTheRecordOnClose()
    {
        m_window->show();
        m_window->setGeometry(100, 120, 300, 200);
        QVERIFY(stored(QStringLiteral("NormPos")).isEmpty());
        m_window->close();
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(stored(QStringLiteral("FormVersion")), QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("Flags")), QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("ShowCmd")), QStringLiteral("1"));
        QCOMPARE(stored(QStringLiteral("PixelsPerInch")), QString::number(screenPpi()));
        QCOMPARE(stored(QStringLiteral("NormPos")), QStringLiteral("100,120,400,320"));
        QCOMPARE(stored(QStringLiteral("NormPos(%1x%2)").arg(screen.width()).arg(screen.height())),
                 QStringLiteral("100,120,400,320"));
        QCOMPARE(stored(QStringLiteral("MinMaxPos(%1x%2)").arg(screen.width()).arg(screen.height())),
                 stored(QStringLiteral("MinMaxPos")));
        QCOMPARE(stored(QStringLiteral("MinMaxPos")).count(QLatin1Char(',')), 3);
        QCOMPARE(stored(QStringLiteral("Visible")), QStringLiteral("0"));
        auto store = TFormStorage::openStore();
        store->beginGroup(group());
        QCOMPARE(store->childKeys().size(), 9);
    }

    void maximizedWindowKeepsItsNormalRectangle()
    {
        m_window->show();
        m_window->setGeometry(100, 120, 300, 200);
        m_window->showMaximized();
        m_window->close();
        QCOMPARE(stored(QStringLiteral("ShowCmd")), QStringLiteral("3"));
        QCOMPARE(stored(QStringLiteral("NormPos")), QStringLiteral("100,120,400,320"));
        // Shown again: maximized, and restored to the stored rectangle.
        m_window->show();
        QVERIFY(m_window->isMaximized());
        m_window->showNormal();
        QCOMPARE(m_window->geometry(), QRect(100, 120, 300, 200));
    }

    void nothingWrittenForAWindowNeverShown()
    {
        m_window.reset();
        auto store = TFormStorage::openStore();
        QVERIFY(!store->childGroups().contains(QStringLiteral("tst_formstorage")));
    }

    void writtenAtTheEndIfShownSince()
    {
        m_window->show();
        m_window->setGeometry(60, 70, 310, 210);
        m_window.reset();
        QCOMPARE(stored(QStringLiteral("NormPos")), QStringLiteral("60,70,370,280"));
    }

    void restore_data()
    {
        const QSize s = QGuiApplication::primaryScreen()->geometry().size();
        const QString twin = QStringLiteral("NormPos(%1x%2)").arg(s.width()).arg(s.height());
        const QString ppi = QString::number(screenPpi());
        const QString otherPpi = QString::number(screenPpi() + 24);
        QTest::addColumn<Record>("record");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<bool>("restored");
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QTest::newRow("nothing stored") << Record{} << QRect(30, 40, 300, 200) << false << false;
        QTest::newRow("plain name") << Record{{"NormPos", "50,60,450,360"}, {"PixelsPerInch", ppi}}
                                    << QRect(50, 60, 400, 300) << false << true;
        QTest::newRow("screen twin first")
                << Record{{"NormPos", "1,1,201,201"}, {twin, "50,60,450,360"}, {"PixelsPerInch", ppi}}
                << QRect(50, 60, 400, 300) << false << true;
        QTest::newRow("missing parts keep edges") << Record{{"NormPos", "70,80"}, {"PixelsPerInch", ppi}}
                                                  << QRect(QPoint(70, 80), QPoint(329, 239)) << false << true;
        QTest::newRow("other pixels per inch")
                << Record{{"NormPos", "50,60,450,360"}, {"PixelsPerInch", otherPpi}, {"ShowCmd", "3"}}
                << QRect(30, 40, 300, 200) << true << false;
        QTest::newRow("left not before right")
                << Record{{"NormPos", "450,60,450,360"}, {"PixelsPerInch", ppi}} << QRect(30, 40, 300, 200)
                << false << false;
        // A damaged record whose size does not fit a coordinate leaves the window where it was created.
        QTest::newRow("width beyond int range")
                << Record{{"NormPos", "-2147483648,60,2147483647,360"}, {"PixelsPerInch", ppi}}
                << QRect(30, 40, 300, 200) << false << false;
        QTest::newRow("height beyond int range")
                << Record{{"NormPos", "50,-2147483648,450,2147483647"}, {"PixelsPerInch", ppi}}
                << QRect(30, 40, 300, 200) << false << false;
        // Left on a screen that is gone, or partly off it: moved into the screen's free area, keeping
        // its size; larger than that area, its size is cut to it first.
        QTest::newRow("off every screen")
                << Record{{"NormPos", "5000,-4000,5400,-3700"}, {"PixelsPerInch", ppi}}
                << QRect(s.width() - 400, 0, 400, 300) << false << true;
        QTest::newRow("partly on the screen")
                << Record{{"NormPos", "-350,-250,50,50"}, {"PixelsPerInch", ppi}}
                << QRect(area.topLeft(), QSize(400, 300)) << false << true;
        QTest::newRow("larger than the screen")
                << Record{{"NormPos", "0,0,99999,99999"}, {"PixelsPerInch", ppi}} << area << false << true;
        QTest::newRow("larger and off the screen")
                << Record{{"NormPos", "-70000,500,50000,99999"}, {"PixelsPerInch", ppi}} << area << false
                << true;
        // No number in it: no placement, the window stays as the program made it.
        QTest::newRow("not numbers") << Record{{"NormPos", "a,b,c,d"},
                                               {"MinMaxPos", "-1,-1,0,0"},
                                               {"PixelsPerInch", ppi}}
                                     << QRect(30, 40, 300, 200) << false << false;
        QTest::newRow("maximized") << Record{{"NormPos", "50,60,450,360"},
                                             {"PixelsPerInch", ppi},
                                             {"ShowCmd", "3"}}
                                   << QRect(50, 60, 400, 300) << true << true;
        QTest::newRow("negative version")
                << Record{{"FormVersion", "-1"}, {"NormPos", "50,60,450,360"}, {"ShowCmd", "3"}}
                << QRect(30, 40, 300, 200) << false << false;
        QTest::newRow("only MinMaxPos found") << Record{{"MinMaxPos", "0,0,0,0"}, {"PixelsPerInch", ppi}}
                                              << QRect(30, 40, 300, 200) << false << true;
    }
    void restore()
    {
        QFETCH(Record, record);
        QFETCH(QRect, geometry);
        QFETCH(bool, maximized);
        QFETCH(bool, restored);
        storeRecord(record);
        m_window->show();
        QCOMPARE(m_window->isMaximized(), maximized);
        QCOMPARE(m_window->normalGeometry(), placedBy(geometry));
        QCOMPARE(m_storage->placementRestored(), restored);
        // In place before the window's own show handler ran.
        if (!maximized)
            QCOMPARE(m_window->geometryInShowEvent, geometry);
    }

    void handEditedPlacementWithoutQuotes()
    {
        // Written by hand as NormPos=50,60,450,360, the store reads the value as a list.
        storeRecord({{"PixelsPerInch", QString::number(screenPpi())}});
        TFormStorage::openStore()->setValue(group() + QStringLiteral("/NormPos"),
                                            QStringList{"50", "60", "450", "360"});
        m_window->show();
        QCOMPARE(m_window->normalGeometry(), QRect(50, 60, 400, 300));
    }

    void fixedSizeWindowOnlyMoves()
    {
        m_window->setFixedSize(200, 100);
        storeRecord({{"NormPos", "10,20,500,500"}, {"PixelsPerInch", QString::number(screenPpi())}});
        m_window->show();
        QCOMPARE(m_window->geometry(), QRect(10, 20, 200, 100));
    }

    void restoredBeforeEveryShowing()
    {
        m_window->show();
        m_window->setGeometry(100, 100, 300, 200);
        m_window->hide();
        m_window->move(0, 0);
        m_window->show();
        QCOMPARE(m_window->geometry(), QRect(100, 100, 300, 200));
    }

    void storeErrorIsReported()
    {
        // The store's file cannot be written where a folder stands in its place.
        const QString file = TFormStorage::openStore()->fileName();
        QFile::remove(file);
        QVERIFY(QDir().mkpath(file));
        ScriptedDialogsGuard dialogs;
        m_window->show();
        m_window->close();
        QDir(file).removeRecursively();
        QVERIFY(!m_window->isVisible());
        // Once as the record is read before the showing, once as it is written on closing.
        QCOMPARE(dialogs->messages.size(), 2);
        QCOMPARE(dialogs->messages[0].icon, TMsgIcon::Error);
        const QString name = QDir::toNativeSeparators(file);
        QCOMPARE(
                dialogs->messages[0].text,
                QStringLiteral("Die Fensterposition kann nicht aus „%1“ gelesen werden. (Zugriff verweigert)")
                        .arg(name));
        QCOMPARE(dialogs->messages[1].icon, TMsgIcon::Error);
        QCOMPARE(dialogs->messages[1].text,
                 QStringLiteral(
                         "Die Fensterposition kann nicht in „%1“ gespeichert werden. (Zugriff verweigert)")
                         .arg(name));
    }

private:
    std::unique_ptr<ProbeWindow> m_window;
    TFormStorage *m_storage = nullptr; // owned by the window
};

KUVERTINO_GUI_TEST_MAIN(TestFormStorage)
#include "tst_formstorage.moc"
