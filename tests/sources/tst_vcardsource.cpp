#include "VCardSource.h"

#include <QtTest>

using namespace sources;

Q_DECLARE_METATYPE(sources::AddressKind)

namespace {

SourceOptions german()
{
    SourceOptions o;
    o.locale = QLocale(QLocale::German, QLocale::Germany);
    return o;
}

} // namespace

class TestVCardSource : public QObject
{
    Q_OBJECT
private slots:
    void contact_data();
    void contact();
    void addressKind_data();
    void addressKind();
    void ownCountry_data();
    void ownCountry();
    void countsAndBounds();
};

void TestVCardSource::contact_data()
{
    QTest::addColumn<QByteArray>("vcf");
    QTest::addColumn<QString>("expected"); // the first record's lines, joined by '|'
    QTest::newRow("3.0 plain") << QByteArray(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Hans Meier\r\nORG:Meier GmbH;Einkauf\r\n"
            "ADR;TYPE=work:;;Hauptstr. 5;Berlin;;12345;Deutschland\r\nEND:VCARD\r\n")
                               << "Hans Meier|Meier GmbH, Einkauf|Hauptstr. 5|12345 Berlin";
    QTest::newRow("N put together, folded")
            << QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:Meier;Hans;Peter;Dr.;\nADR:;;Haupt\n str. "
                          "5;Ber\n\tlin;;12345;\nEND:VCARD\n")
            << "Dr. Hans Peter Meier|Hauptstr. 5|12345 Berlin";
    QTest::newRow("escapes") << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:Meier\\, Hans\nADR:;c/o Schulz;Weg "
                                           "1\\nHinterhaus,2. Stock;Bonn;;53111;France\nEND:VCARD\n")
                             << "Meier, Hans|c/o Schulz|Weg 1|Hinterhaus|2. Stock|53111 Bonn|France";
    QTest::newRow("2.1 quoted-printable with soft break")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M="
                          "FCller;J=FCrgen\r\n"
                          "ADR;HOME;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:;;Stra=C3=9Fe 1=0D=0AHof, "
                          "links;M=C3=BCn=\r\nchen;;80331;\r\nEND:VCARD\r\n")
            << QString::fromUtf8("Jürgen Müller|Straße 1|Hof, links|80331 München");
    QTest::newRow("2.1 bare QP windows-1252 file")
            << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN:G\xF6tz\nADR;WORK;QUOTED-PRINTABLE:;;Am Bach "
                          "3;K=F6ln;NRW;50667;Deutschland\nEND:VCARD\n")
            << QString::fromUtf8("Götz|Am Bach 3|50667 Köln, NRW");
    QTest::newRow("4.0 grouped, organisation only") << QByteArray(
            "BEGIN:VCARD\nVERSION:4.0\nFN:Acme AG\nORG:Acme AG\nitem1.ADR;TYPE=\"work\";LABEL=\"x:y\":PF "
            "12;;Ring 7;Wien;;1010;AT\nitem1.X-ABLabel:Büro\nEND:VCARD\n")
                                                    << "Acme AG|PF 12|Ring 7|1010 Wien|AT";
    QTest::newRow("nested agent passed over")
            << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN:A\nAGENT:\nBEGIN:VCARD\nFN:B\nADR:;;x;y;;1;\nEND:"
                          "VCARD\nADR:;;Weg 2;Ulm;;89073;\nEND:VCARD\n")
            << "A|Weg 2|89073 Ulm";
}

void TestVCardSource::contact()
{
    QFETCH(QByteArray, vcf);
    QFETCH(QString, expected);
    VCardSource s(vcf, german());
    QVERIFY(!s.error());
    QCOMPARE(s.recordCount(), 1);
    QCOMPARE(s.record(0).join(QLatin1Char('|')), expected);
}

void TestVCardSource::addressKind_data()
{
    QTest::addColumn<QByteArray>("adr");
    QTest::addColumn<AddressKind>("kind");
    QTest::addColumn<QString>("street");
    const QByteArray three = "ADR;TYPE=home:;;Heim 1;A;;1;\nADR;TYPE=work:;;Büro "
                             "1;B;;2;\nADR;TYPE=work,pref:;;Büro 2;C;;3;\n";
    QTest::newRow("preferred") << three << AddressKind::Preferred << QString::fromUtf8("Büro 2");
    QTest::newRow("work: the preferred of two") << three << AddressKind::Work << QString::fromUtf8("Büro 2");
    QTest::newRow("home") << three << AddressKind::Home << "Heim 1";
    const QByteArray v4 = "ADR;TYPE=work;PREF=2:;;W2;A;;1;\nADR;TYPE=work;PREF=1:;;W1;B;;2;\nADR:;;X;C;;3;\n";
    QTest::newRow("4.0 lowest PREF") << v4 << AddressKind::Work << "W1";
    QTest::newRow("no home: preferred") << v4 << AddressKind::Home << "W1";
    const QByteArray none = "ADR;TYPE=home:;;H;A;;1;\nADR:;;X;C;;3;\n";
    QTest::newRow("no pref: first") << none << AddressKind::Preferred << "H";
    QTest::newRow("no work: first") << none << AddressKind::Work << "H";
}

void TestVCardSource::addressKind()
{
    QFETCH(QByteArray, adr);
    QFETCH(AddressKind, kind);
    QFETCH(QString, street);
    VCardSource s("BEGIN:VCARD\nVERSION:3.0\nFN:N\n" + adr + "END:VCARD\n", german());
    s.setAddressKind(kind);
    QCOMPARE(s.addressKind(), kind);
    QCOMPARE(s.record(0).value(1), street);
}

void TestVCardSource::ownCountry_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("country");
    QTest::addColumn<bool>("own");
    const QLocale de(QLocale::German, QLocale::Germany);
    QTest::newRow("native") << de << "Deutschland" << true;
    QTest::newRow("english, case") << de << "GERMANY" << true;
    QTest::newRow("iso alpha-2") << de << "de" << true;
    QTest::newRow("iso alpha-3") << de << "DEU" << true;
    QTest::newRow("vehicle code dotted") << de << "D." << true;
    QTest::newRow("neighbour") << de << QString::fromUtf8("Österreich") << false;
    const QLocale ch(QLocale::French, QLocale::Switzerland);
    QTest::newRow("swiss german name from french locale") << ch << "Schweiz" << true;
    QTest::newRow("swiss french") << ch << "Suisse" << true;
    QTest::newRow("swiss italian") << ch << "Svizzera" << true;
    QTest::newRow("C locale: none own") << QLocale::c() << "Deutschland" << false;
    QTest::newRow("us long") << QLocale(QLocale::English, QLocale::UnitedStates) << "United States of America"
                             << true;
}

void TestVCardSource::ownCountry()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, country);
    QFETCH(bool, own);
    QCOMPARE(IsOwnCountry(country, locale), own);
}

void TestVCardSource::countsAndBounds()
{
    QByteArray vcf;
    for (int i = 0; i < 30; ++i) {
        vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:K" + QByteArray::number(i) + "\r\n";
        if (i % 3 == 0)
            vcf += "TEL:123\r\nADR:;;;;;;\r\n"; // an empty address is none
        else
            vcf += "ADR:;;Weg " + QByteArray::number(i) + ";Ort;;1;\r\n";
        vcf += "END:VCARD\r\n";
    }
    VCardSource s(vcf, german());
    QCOMPARE(s.recordCount(), 20);
    QCOMPARE(s.contactsWithoutAddress(), 10);
    QCOMPARE(s.contactsWithoutAddressNames().mid(0, 2),
             QStringList({QStringLiteral("K0"), QStringLiteral("K3")}));
    QCOMPARE(s.record(19),
             QStringList({QStringLiteral("K29"), QStringLiteral("Weg 29"), QStringLiteral("1 Ort")}));
    SourceOptions few = german();
    few.limits.maxRecords = 5;
    QCOMPARE(VCardSource(vcf, few).error().kind, SourceErrorKind::TooManyRows);
}

QTEST_GUILESS_MAIN(TestVCardSource)
#include "tst_vcardsource.moc"
