#include "TestEnvironment.h"

#include "app/BitBtnXP.h"
#include "app/Dialogs.h"
#include "app/Memo.h"
#include "app/RxSpinEdit.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>

namespace {
// A control that uses Escape itself (as an open list or an edited cell does).
class EscapeTaker : public QPushButton
{
public:
    using QPushButton::QPushButton;
    int taken = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() != Qt::Key_Escape)
            return QPushButton::keyPressEvent(event);
        ++taken;
        event->accept();
    }
};
} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void escapeClicksCancelButton_data()
    {
        QTest::addColumn<bool>("inMainWindow");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("focusUsesEscape");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("dialogClosed");
        const int none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("dialog") << false << true << none << false << 1 << false;
        QTest::newRow("dialog, button disabled") << false << false << none << false << 0 << false;
        QTest::newRow("dialog, shift") << false << true << shift << false << 0 << false;
        QTest::newRow("dialog, control") << false << true << ctrl << false << 0 << false;
        QTest::newRow("dialog, focused control uses it") << false << true << none << true << 0 << false;
        QTest::newRow("main window") << true << true << none << false << 1 << false;
        QTest::newRow("main window, button disabled") << true << false << none << false << 0 << false;
        QTest::newRow("main window, focused control uses it") << true << true << none << true << 0 << false;
    }
    void escapeClicksCancelButton()
    {
        QFETCH(bool, inMainWindow);
        QFETCH(bool, enabled);
        QFETCH(int, modifiers);
        QFETCH(bool, focusUsesEscape);
        QDialog dialog;
        QMainWindow mainWindow;
        QWidget *window = &dialog;
        if (inMainWindow) {
            window = new QWidget(&mainWindow);
            mainWindow.setCentralWidget(window);
        }
        // Nested as the windows nest them: the button in a panel, the focus elsewhere.
        auto *panel = new QWidget(window);
        auto *cancel = new TBitBtnXP(QStringLiteral("Abbrechen"), QIcon(), panel);
        cancel->setCancel(true);
        cancel->setEnabled(enabled);
        auto *focus = new EscapeTaker(QStringLiteral("Drucken"), window);
        QSignalSpy clicks(cancel, &QPushButton::clicked);
        QSignalSpy closed(&dialog, &QDialog::finished);

        if (focusUsesEscape)
            QTest::keyClick(focus, Qt::Key_Escape, Qt::KeyboardModifiers(modifiers));
        else
            QTest::keyClick(static_cast<QWidget *>(panel), Qt::Key_Escape, Qt::KeyboardModifiers(modifiers));
        QTEST(int(clicks.size()), "clicks");
        QTEST(!closed.isEmpty(), "dialogClosed");
        QCOMPARE(focus->taken, focusUsesEscape ? 1 : 0);
    }

    void cancelButtonFollowsItsWindow()
    {
        QDialog first, second;
        auto *inFirst = new QPushButton(&first);
        auto *inSecond = new QPushButton(&second);
        auto *cancel = new TBitBtnXP(QStringLiteral("Abbrechen"), QIcon(), &first);
        QSignalSpy clicks(cancel, &QPushButton::clicked);
        QSignalSpy firstClosed(&first, &QDialog::finished);
        QSignalSpy secondClosed(&second, &QDialog::finished);

        // Not a cancel button: the dialog's own Escape closes it.
        QTest::keyClick(inFirst, Qt::Key_Escape);
        QCOMPARE(clicks.size(), 0);
        QCOMPARE(firstClosed.size(), 1);

        cancel->setCancel(true);
        QVERIFY(cancel->isCancel());
        QTest::keyClick(inFirst, Qt::Key_Escape);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(firstClosed.size(), 1);

        // Moved to the other window: Escape there clicks it, the first window has its own again.
        cancel->setParent(&second);
        QTest::keyClick(inFirst, Qt::Key_Escape);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(firstClosed.size(), 2);
        QTest::keyClick(inSecond, Qt::Key_Escape);
        QCOMPARE(clicks.size(), 2);
        QCOMPARE(secondClosed.size(), 0);

        cancel->setCancel(false);
        QTest::keyClick(inSecond, Qt::Key_Escape);
        QCOMPARE(clicks.size(), 2);
        QCOMPARE(secondClosed.size(), 1);
    }

    void setValueClampsAndRounds_data()
    {
        QTest::addColumn<double>("set");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("in range") << 15.0 << 15.0 << "15.00";
        QTest::newRow("above") << 1500.0 << 1000.0 << "1000.00";
        QTest::newRow("below") << -3.0 << 0.0 << "0.00";
        QTest::newRow("two decimals") << 0.5905 << 0.59 << "0.59";
        QTest::newRow("rounds up") << 0.787 << 0.79 << "0.79";
        QTest::newRow("inch conversion") << 15 / 25.39995 << 0.59 << "0.59";
    }
    void setValueClampsAndRounds()
    {
        QFETCH(double, set);
        TRxSpinEdit s(true, 0, 1000, 1, 0);
        s.setLocale(QLocale::c());
        s.setValue(set);
        QTEST(s.value(), "value");
        QTEST(s.text(), "text");
    }

    void typedText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("value");
        QTest::newRow("number") << "12.5" << 12.5;
        QTest::newRow("no number") << "abc" << 10.0;
        QTest::newRow("empty") << "" << 10.0;
        QTest::newRow("too big") << "5000" << 1000.0;
        QTest::newRow("too small") << "3" << 10.0;
    }
    void typedText()
    {
        QFETCH(QString, typed);
        TRxSpinEdit s(true, 10, 1000, 10, 100);
        s.setLocale(QLocale::c());
        s.editor()->setText(typed);
        QTEST(s.textValue(), "value");
        // Leaving the field brings the typed text into range and shows it formatted.
        s.show();
        s.setFocus();
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&s, &out);
        QTEST(s.value(), "value");
    }

    void userLocaleDecimalComma()
    {
        TRxSpinEdit s(true, 0, 10000, 1, 0);
        s.setLocale(QLocale(QLocale::German, QLocale::Germany));
        s.setValue(1234.5);
        // No thousands separator, the locale's decimal comma.
        QCOMPARE(s.text(), QStringLiteral("1234,50"));
        s.editor()->setText(QStringLiteral("0,59"));
        QCOMPARE(s.textValue(), 0.59);
    }

    void integerFieldTakesWholeNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("value");
        QTest::newRow("whole") << "3" << 3.0;
        QTest::newRow("fraction") << "2.5" << 1.0;
        QTest::newRow("word") << "drei" << 1.0;
        QTest::newRow("too many") << "20000" << 10000.0;
    }
    void integerFieldTakesWholeNumbers()
    {
        QFETCH(QString, typed);
        TRxSpinEdit copies(false, 1, 10000, 1, 1);
        copies.setLocale(QLocale::c());
        copies.editor()->setText(typed);
        QTEST(copies.textValue(), "value");
    }

    void integerFieldShowsNoDecimals()
    {
        TRxSpinEdit zoom(false, 10, 1000, 10, 100);
        QCOMPARE(zoom.text(), QStringLiteral("100"));
        zoom.stepBy(1);
        QCOMPARE(zoom.value(), 110.0);
    }

    void changeFiresOnProgramSet()
    {
        TRxSpinEdit s(true, 0, 1000, 1, 15);
        QSignalSpy spy(&s, &QDoubleSpinBox::valueChanged);
        s.setValue(20);
        s.setValue(20);
        s.setValue(2000);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toDouble(), 1000.0);
    }

    void memoText_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << "A\r\nB"
                              << "A\r\nB" << QStringList{"A", "B"};
        QTest::newRow("final break") << "A\r\nB\r\n"
                                     << "A\r\nB\r\n"
                                     << QStringList{"A", "B"};
        QTest::newRow("lf") << "A\nB"
                            << "A\r\nB" << QStringList{"A", "B"};
        QTest::newRow("lone cr") << "A\rB"
                                 << "A\r\nB" << QStringList{"A", "B"};
        QTest::newRow("empty line") << "A\r\n\r\nB"
                                    << "A\r\n\r\nB" << QStringList{"A", "", "B"};
        QTest::newRow("empty") << ""
                               << "" << QStringList{};
        QTest::newRow("no-break space") << QString::fromUtf16(u"Dr.\u00A0Meier\r\nWeg")
                                        << QString::fromUtf16(u"Dr.\u00A0Meier\r\nWeg")
                                        << QStringList{QString::fromUtf16(u"Dr.\u00A0Meier"), "Weg"};
        QTest::newRow("line separator")
                << QString::fromUtf16(u"A\u2028B") << "A\r\nB" << QStringList{"A", "B"};
    }
    void memoText()
    {
        QFETCH(QString, set);
        TMemo m;
        m.setText(set);
        QTEST(m.text(), "text");
        QTEST(m.lines(), "lines");
    }

    void memoLineEditing()
    {
        TMemo m;
        m.setText(QStringLiteral("eins\r\nzwei\r\ndrei"));
        m.setLine(1, QStringLiteral("two"));
        QCOMPARE(m.text(), QStringLiteral("eins\r\ntwo\r\ndrei"));
        m.insertLine(0, QStringLiteral("dummy"));
        QCOMPARE(m.lines().first(), QStringLiteral("dummy"));
        m.deleteLine(0);
        QCOMPARE(m.text(), QStringLiteral("eins\r\ntwo\r\ndrei"));
        m.deleteLine(2);
        QCOMPARE(m.text(), QStringLiteral("eins\r\ntwo"));
    }

    void pipeFilter_data()
    {
        QTest::addColumn<QString>("pipe");
        QTest::addColumn<QString>("qt");
        QTest::newRow("documents") << "Briefumschläge (*.KVT)|*.kvt"
                                   << "Briefumschläge (*.KVT) (*.kvt)";
        QTest::newRow("two") << "CSV|*.csv|Alle|*.*"
                             << "CSV (*.csv);;Alle (*.*)";
        QTest::newRow("multi pattern") << "Bilder|*.png;*.jpg"
                                       << "Bilder (*.png *.jpg)";
    }
    void pipeFilter()
    {
        QFETCH(QString, pipe);
        QTEST(QtFilterFromPipeFilter(pipe), "qt");
    }

    void defaultExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no extension") << "/tmp/brief"
                                      << "/tmp/brief.kvt";
        QTest::newRow("has extension") << "/tmp/brief.kvt"
                                       << "/tmp/brief.kvt";
        QTest::newRow("other extension") << "/tmp/brief.dat"
                                         << "/tmp/brief.dat";
        QTest::newRow("dot in folder") << "/tmp/a.b/brief"
                                       << "/tmp/a.b/brief.kvt";
        QTest::newRow("empty") << ""
                               << "";
    }
    void defaultExtension()
    {
        QFETCH(QString, name);
        QTEST(WithDefaultExtension(name, QStringLiteral(".kvt")), "expected");
    }
};

KUVERTINO_GUI_TEST_MAIN(TestControls)
#include "tst_controls.moc"
