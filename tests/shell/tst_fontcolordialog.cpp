// The program's font dialog, as the Qt dialog seam shows it: face, size, style and a text colour, with
// Cancel changing nothing.
#include "TestEnvironment.h"

#include "app/Dialogs.h"
#include "app/FontColorDialog.h"
#include "core/translateunit.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>

extern IsolatedEnvironment *TestEnv;

namespace {

// What the user does in the open dialog: pick a face, maybe pick a colour (and confirm or cancel the
// colour dialog), then end the font dialog.
struct Actions
{
    QFont face;
    QColor colour; // invalid: the colour button is not used
    bool colourDialogOk = true;
    QString finish; // "ok", "cancel" or "escape"
};

void act(const Actions &a)
{
    auto *dlg = qobject_cast<FontColorDialog *>(QApplication::activeModalWidget());
    if (!dlg) {
        qWarning("no font dialog open");
        return;
    }
    dlg->fontChoice()->setCurrentFont(a.face);
    if (a.colour.isValid()) {
        // The colour dialog is modal too: answered from inside, then the button's click returns.
        QTimer::singleShot(0, dlg, [a] {
            auto *colours = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            if (!colours) {
                qWarning("no colour dialog open");
                return;
            }
            colours->setCurrentColor(a.colour);
            if (a.colourDialogOk)
                colours->accept();
            else
                colours->reject();
        });
        dlg->colorButton()->click();
    }
    auto *buttons = dlg->findChild<QDialogButtonBox *>();
    if (a.finish == QLatin1String("ok"))
        buttons->button(QDialogButtonBox::Ok)->click();
    else if (a.finish == QLatin1String("cancel"))
        buttons->button(QDialogButtonBox::Cancel)->click();
    else
        QTest::keyClick(dlg->fontChoice()->focusWidget() ? dlg->fontChoice()->focusWidget()
                                                         : dlg->fontChoice(),
                        Qt::Key_Escape);
}

TFontRec startFont()
{
    TFontRec f;
    f.charset = 1;
    f.pitch = 1;
    f.pixelsPerInch = 120;
    return f;
}

} // namespace

class TestFontColorDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        SetTranslationHost([] { return 0; }, [] { return TestEnv->programFolder(); });
        // The program's own dialogs, not a script.
        SetDialogs(nullptr);
    }

    void choices_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("colourDialogOk");
        QTest::addColumn<QString>("finish");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<quint32>("storedColour");

        QTest::newRow("face only keeps the system colour")
                << QColor() << true << "ok" << true << TFontRec::WindowTextColor;
        QTest::newRow("red") << QColor(200, 0, 0) << true << "ok" << true << 0x000000C8u;
        QTest::newRow("mixed") << QColor(0x12, 0x34, 0x56) << true << "ok" << true << 0x00563412u;
        QTest::newRow("black is stored as RGB") << QColor(0, 0, 0) << true << "ok" << true << 0x00000000u;
        QTest::newRow("colour dialog cancelled")
                << QColor(200, 0, 0) << false << "ok" << true << TFontRec::WindowTextColor;
        QTest::newRow("cancel after a colour")
                << QColor(200, 0, 0) << true << "cancel" << false << TFontRec::WindowTextColor;
        QTest::newRow("escape after a colour")
                << QColor(200, 0, 0) << true << "escape" << false << TFontRec::WindowTextColor;
    }
    void choices()
    {
        QFETCH(QColor, colour);
        QFETCH(bool, colourDialogOk);
        QFETCH(QString, finish);
        QFETCH(bool, confirmed);
        QFETCH(quint32, storedColour);

        QFont face(QStringLiteral("DejaVu Sans"));
        face.setPointSize(14);
        face.setBold(true);
        face.setItalic(true);
        const Actions actions{face, colour, colourDialogOk, finish};
        TFontRec font = startFont();
        QTimer::singleShot(0, qApp, [actions] { act(actions); });
        QCOMPARE(Dialogs().chooseFont(nullptr, font), confirmed);
        QVERIFY(!QApplication::activeModalWidget());

        QCOMPARE(font.color, storedColour);
        if (confirmed) {
            QCOMPARE(font.name, QStringLiteral("DejaVu Sans"));
            QCOMPARE(font.size, 14);
            QCOMPARE(font.style, quint8(TFontRec::Bold | TFontRec::Italic));
        } else {
            QCOMPARE(font, startFont());
        }
        // What the file holds beside face, size, style and colour stays as it was.
        QCOMPARE(font.charset, quint8(1));
        QCOMPARE(font.pitch, quint8(1));
        QCOMPARE(font.pixelsPerInch, 120);
    }

    // The dialog opens on the record's face and size, and its colour button on the colour as printed.
    void opensOnTheRecord()
    {
        TFontRec rec;
        rec.name = QStringLiteral("Liberation Serif");
        rec.size = 17;
        rec.color = 0x00336699;
        FontColorDialog dlg(rec);
        QCOMPARE(dlg.fontChoice()->currentFont().family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(dlg.fontChoice()->currentFont().pointSize(), 17);
        QCOMPARE(dlg.color(), QColor(0x99, 0x66, 0x33));
        QCOMPARE(dlg.font(), rec);
        QCOMPARE(dlg.colorButton()->text(), QStringLiteral("Farbe..."));
        QCOMPARE(dlg.colorButton()->icon().pixmap(8, 8).toImage().pixelColor(4, 4), QColor(0x99, 0x66, 0x33));
        dlg.setColor(QColor(0, 0, 255));
        QCOMPARE(dlg.colorButton()->icon().pixmap(8, 8).toImage().pixelColor(4, 4), QColor(0, 0, 255));
        QCOMPARE(dlg.font().color, 0x00FF0000u);
        // An invalid colour (the colour dialog's Cancel) keeps the chosen one.
        dlg.setColor(QColor());
        QCOMPARE(dlg.font().color, 0x00FF0000u);
    }

    // A family this system lacks opens on the face it is drawn with, in the record's style and size,
    // and OK without a change gives the record back with its own family name.
    void missingFamily_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<quint8>("style");
        QTest::newRow("the default Arial") << QStringLiteral("Arial") << quint8(0);
        QTest::newRow("unknown, bold") << QStringLiteral("Kuvertino Missing Face") << quint8(TFontRec::Bold);
    }
    void missingFamily()
    {
        QFETCH(QString, family);
        QFETCH(quint8, style);
        TFontRec rec;
        rec.name = family;
        rec.style = style;
        rec.size = 13;
        const QString drawnWith = QFontInfo(rec.toQFont()).family();
        FontColorDialog dlg(rec);
        QCOMPARE(dlg.fontChoice()->currentFont().family(), drawnWith);
        QCOMPARE(dlg.fontChoice()->currentFont().pointSize(), 13);
        QCOMPARE(dlg.font(), rec);

        // Another face chosen is taken by its own name.
        QFont other(drawnWith == QLatin1String("DejaVu Serif") ? QStringLiteral("DejaVu Sans")
                                                               : QStringLiteral("DejaVu Serif"));
        other.setPointSize(13);
        dlg.fontChoice()->setCurrentFont(other);
        QCOMPARE(dlg.font().name, other.family());
    }
};

KUVERTINO_GUI_TEST_MAIN(TestFontColorDialog)
#include "tst_fontcolordialog.moc"
