// Check boxes stay visible on a dark theme: the indicator's fill against the window it sits on.

#include "app/ContrastStyle.h"

#include <QCheckBox>
#include <QImage>
#include <QStyleFactory>
#include <QStyleOption>
#include <QtTest>

class TestContrastStyle : public QObject
{
    Q_OBJECT

private slots:
    void indicatorFill_data()
    {
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("base");
        QTest::addColumn<bool>("kept");
        QTest::newRow("light theme") << QColor(0xef, 0xef, 0xef) << QColor(Qt::white) << true;
        QTest::newRow("dark, like the window")
                << QColor(0x35, 0x35, 0x35) << QColor(0x2d, 0x2d, 0x2d) << false;
        QTest::newRow("dark, base already bright")
                << QColor(0x20, 0x20, 0x20) << QColor(0xc0, 0xc0, 0xc0) << true;
        QTest::newRow("black") << QColor(Qt::black) << QColor(Qt::black) << false;
    }
    void indicatorFill()
    {
        QFETCH(QColor, window);
        QFETCH(QColor, base);
        QFETCH(bool, kept);
        const QColor fill = IndicatorFill(window, base);
        QCOMPARE(fill == base, kept);
        if (window.lightness() < 128)
            QVERIFY2(ContrastRatio(window, fill) >= 3.0, qPrintable(fill.name()));
    }

    // Drawn by the real style: the middle of the indicator against the window around the box.
    void checkBoxOnADarkWindow()
    {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Text, Qt::white);
        ContrastStyle style(QStringLiteral("Fusion"));
        QCheckBox box(QStringLiteral("Hochformat"));
        box.setStyle(&style);
        box.setPalette(dark);
        box.setAutoFillBackground(true);
        box.resize(box.sizeHint());
        QImage image(box.size(), QImage::Format_RGB32);
        box.render(&image);
        QStyleOptionButton option;
        option.initFrom(&box);
        const QRect indicator = style.subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
        const QColor inside = image.pixelColor(indicator.center());
        const QColor outside = image.pixelColor(indicator.right() + 1, 0);
        QVERIFY2(ContrastRatio(inside, outside) >= 3.0,
                 qPrintable(inside.name() + QLatin1Char('/') + outside.name()));
    }
};

QTEST_MAIN(TestContrastStyle)
#include "tst_contraststyle.moc"
