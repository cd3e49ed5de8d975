#include "cli/CommandLine.h"

#include "core/translateunit.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

// Every option of the command line, as the parser and the dispatch in main both know them.
const char *const LongOptions[] = {"print",
                                   "addresses",
                                   "header",
                                   "skip-empty-lines",
                                   "range",
                                   "sheet",
                                   "separator",
                                   "printer",
                                   "one-job",
                                   "pdf",
                                   "copies",
                                   "resume",
                                   "help",
                                   "help-all",
                                   "version"};

QString exitCodesText()
{
    return TranslateText(QStringLiteral("Rückgabewerte:")) + QLatin1Char('\n') + QStringLiteral("  0  ")
           + TranslateText(QStringLiteral("alles wurde gedruckt")) + QLatin1Char('\n')
           + QStringLiteral("  1  ") + TranslateText(QStringLiteral("falscher Aufruf")) + QLatin1Char('\n')
           + QStringLiteral("  2  ") + TranslateText(QStringLiteral("eine Datei konnte nicht gelesen werden"))
           + QLatin1Char('\n') + QStringLiteral("  3  ")
           + TranslateText(QStringLiteral("der Drucker hat abgelehnt")) + QLatin1Char('\n')
           + QStringLiteral("  4  ")
           + TranslateText(QStringLiteral(
                   "der Druck wurde unterbrochen (SIGINT oder SIGTERM); --resume setzt ihn fort"))
           + QLatin1Char('\n');
}

TCliParse usage(const QString &text)
{
    TCliParse p;
    p.exit = TExitCode::Usage;
    p.text = text + QLatin1Char('\n') + TranslateText(QStringLiteral("Mehr mit „kuvertino --help“."));
    return p;
}

std::optional<sources::CsvSeparator> separatorFrom(const QString &text)
{
    const QString t = text.toLower();
    if (t == QStringLiteral(";") || t == QStringLiteral("semicolon"))
        return sources::CsvSeparator::Semicolon;
    if (t == QStringLiteral(",") || t == QStringLiteral("comma"))
        return sources::CsvSeparator::Comma;
    if (t == QStringLiteral("tab") || t == QStringLiteral("\t"))
        return sources::CsvSeparator::Tab;
    return std::nullopt;
}

} // namespace

bool IsCommandLineRun(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QStringLiteral("--"))
            return false;
        if (a == QStringLiteral("-h") || a == QStringLiteral("-v") || a == QStringLiteral("-?"))
            return true;
        if (!a.startsWith(QStringLiteral("--")))
            continue;
        const QString name = a.mid(2).section(QLatin1Char('='), 0, 0);
        for (const char *option : LongOptions)
            if (name == QLatin1String(option))
                return true;
    }
    return false;
}

bool ParseRange(const QString &text, TRunOptions &run)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,9})\\s*(-\\s*(\\d{0,9})\\s*)?$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return false;
    const qsizetype from = m.captured(1).toLongLong();
    // FROM alone is that one record; FROM- runs to the last.
    const qsizetype to = !m.hasCaptured(2) ? from : m.captured(3).toLongLong();
    if (from < 1 || (to != 0 && to < from))
        return false;
    run.from = from;
    run.to = to;
    return true;
}

TCliParse ParseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
            TranslateText(QStringLiteral("Druckt Briefumschläge mit dem Entwurf eines Kuvertino-Dokuments, "
                                         "ohne Fenster.")));
    const QCommandLineOption print(
            QStringLiteral("print"),
            TranslateText(QStringLiteral("Druckt mit dem Entwurf aus dem Dokument <Dokument.kvt>.")),
            TranslateText(QStringLiteral("Dokument.kvt")));
    const QCommandLineOption addresses(
            QStringLiteral("addresses"),
            TranslateText(QStringLiteral(
                    "Ein Umschlag je Adresse der Datei (CSV, .ods, .xlsx, .vcf). Ohne sie wird der "
                    "Empfänger des Dokuments gedruckt.")),
            TranslateText(QStringLiteral("Adressdatei")));
    const QCommandLineOption header(QStringLiteral("header"),
                                    TranslateText(QStringLiteral("Die erste Zeile ist eine Überschrift.")));
    const QCommandLineOption skipEmpty(QStringLiteral("skip-empty-lines"),
                                       TranslateText(QStringLiteral("Leere Felder ergeben keine Zeile.")));
    const QCommandLineOption range(
            QStringLiteral("range"),
            TranslateText(QStringLiteral("Nur die Datensätze VON bis BIS (ab 1 gezählt; ohne BIS bis zum "
                                         "letzten).")),
            TranslateText(QStringLiteral("VON-BIS")));
    const QCommandLineOption sheet(
            QStringLiteral("sheet"),
            TranslateText(QStringLiteral("Das Tabellenblatt dieses Namens (.ods, .xlsx).")),
            TranslateText(QStringLiteral("Name")));
    const QCommandLineOption separator(
            QStringLiteral("separator"),
            TranslateText(QStringLiteral("Das Trennzeichen einer CSV-Datei: ';', ',' oder tab.")),
            TranslateText(QStringLiteral("Zeichen")));
    const QCommandLineOption printer(
            QStringLiteral("printer"),
            TranslateText(QStringLiteral("Der Drucker (Vorgabe: der Standarddrucker des Systems, ohne "
                                         "Drucker der eingebaute PDF-Drucker).")),
            TranslateText(QStringLiteral("Name")));
    const QCommandLineOption oneJob(
            QStringLiteral("one-job"),
            TranslateText(QStringLiteral("Alle Umschläge in einem Druckauftrag, eine Seite je Umschlag.")));
    const QCommandLineOption pdf(
            QStringLiteral("pdf"),
            TranslateText(QStringLiteral("Alle Umschläge in eine PDF-Datei statt zum Drucker.")),
            TranslateText(QStringLiteral("Ausgabe.pdf")));
    const QCommandLineOption copies(
            QStringLiteral("copies"),
            TranslateText(QStringLiteral("So viele Umschläge des Empfängers (nur ohne --addresses).")),
            TranslateText(QStringLiteral("Anzahl")));
    const QCommandLineOption resume(
            QStringLiteral("resume"),
            TranslateText(QStringLiteral("Setzt einen unterbrochenen Druck derselben Adressdatei fort.")));
    parser.addOptions({print,
                       addresses,
                       header,
                       skipEmpty,
                       range,
                       sheet,
                       separator,
                       printer,
                       oneJob,
                       pdf,
                       copies,
                       resume});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        TCliParse p;
        p.text = parser.helpText() + QLatin1Char('\n') + exitCodesText();
        return p;
    }
    if (parser.isSet(version)) {
        TCliParse p;
        p.text = QStringLiteral("kuvertino %1\n").arg(QCoreApplication::applicationVersion());
        return p;
    }
    if (!parser.isSet(print))
        return usage(TranslateText(QStringLiteral("Es fehlt --print mit dem Dokument.")));
    if (!parser.positionalArguments().isEmpty())
        return usage(TranslateText(QStringLiteral("Unerwartetes Argument „%1“."))
                             .arg(parser.positionalArguments().first()));
    // A value given twice would silently drop one of them.
    for (const QCommandLineOption *o :
         {&print, &addresses, &range, &sheet, &separator, &printer, &pdf, &copies})
        if (parser.values(*o).size() > 1)
            return usage(TranslateText(QStringLiteral("Die Option --%1 ist mehrfach angegeben."))
                                 .arg(o->names().first()));

    TCliOptions o;
    o.document = parser.value(print);
    o.addresses = parser.value(addresses);
    o.run.firstLineIsHeader = parser.isSet(header);
    o.run.skipEmptyLines = parser.isSet(skipEmpty);
    o.sheet = parser.value(sheet);
    o.resume = parser.isSet(resume);
    if (o.document.isEmpty())
        return usage(TranslateText(QStringLiteral("Es fehlt --print mit dem Dokument.")));
    if (parser.isSet(range) && !ParseRange(parser.value(range), o.run))
        return usage(TranslateText(QStringLiteral("Ungültiger Bereich „%1“: erwartet VON-BIS, etwa 5-20."))
                             .arg(parser.value(range)));
    if (parser.isSet(separator)) {
        o.separator = separatorFrom(parser.value(separator));
        if (!o.separator)
            return usage(
                    TranslateText(QStringLiteral("Ungültiges Trennzeichen „%1“: erwartet ';', ',' oder tab."))
                            .arg(parser.value(separator)));
    }
    if (parser.isSet(printer))
        o.printer = parser.value(printer);
    if (parser.isSet(oneJob) && parser.isSet(pdf))
        return usage(TranslateText(QStringLiteral("--one-job und --pdf schließen einander aus.")));
    if (parser.isSet(printer) && parser.isSet(pdf))
        return usage(TranslateText(QStringLiteral("--printer und --pdf schließen einander aus.")));
    if (parser.isSet(oneJob))
        o.output = TOutputKind::OneJob;
    if (parser.isSet(pdf)) {
        o.output = TOutputKind::PdfFile;
        o.pdfFile = parser.value(pdf);
        if (o.pdfFile.isEmpty())
            return usage(TranslateText(QStringLiteral("Es fehlt der Name der PDF-Datei.")));
    }
    const bool withAddresses = parser.isSet(addresses);
    if (withAddresses && o.addresses.isEmpty())
        return usage(TranslateText(QStringLiteral("Es fehlt der Name der Adressdatei.")));
    if (parser.isSet(copies)) {
        if (withAddresses)
            return usage(TranslateText(QStringLiteral("--copies gilt nur ohne --addresses.")));
        bool ok = false;
        o.copies = parser.value(copies).trimmed().toInt(&ok);
        if (!ok || o.copies < 1 || o.copies > 10000)
            return usage(TranslateText(QStringLiteral("Ungültige Anzahl „%1“: erwartet 1 bis 10000."))
                                 .arg(parser.value(copies)));
    }
    if (!withAddresses) {
        for (const QCommandLineOption *opt : {&header, &skipEmpty, &range, &sheet, &separator, &resume})
            if (parser.isSet(*opt))
                return usage(TranslateText(QStringLiteral("--%1 gilt nur mit --addresses."))
                                     .arg(opt->names().first()));
    }
    return TCliParse{std::move(o), TExitCode::Printed, QString()};
}
