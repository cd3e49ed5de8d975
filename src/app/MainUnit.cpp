#include "app/MainUnit.h"

#include "app/AboutBoxUnit.h"
#include "app/BitBtnXP.h"
#include "app/ChooseAddressFUnit.h"
#include "app/Dialogs.h"
#include "app/FilenameEdit.h"
#include "app/FormStorage.h"
#include "app/KopienFUnit.h"
#include "app/MainAccessibility.h"
#include "app/Memo.h"
#include "app/PaintBox.h"
#include "app/Preview.h"
#include "app/RxSpinEdit.h"
#include "app/ThemedIcon.h"
#include "app/TranslateFUnit.h"
#include "app/TranslateWalk.h"
#include "core/EnvelopeDocument.h"
#include "core/Errors.h"
#include "core/PaperFormats.h"
#include "core/translateunit.h"
#include "print/Printer.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

TMainForm *MainForm = nullptr;
TAboutBox *AboutBox = nullptr;
TTranslateForm *TranslateForm = nullptr;
TChooseAddressForm *ChooseAddressForm = nullptr;
TKopienForm *KopienForm = nullptr;

namespace {

QString &programFolderOverride()
{
    static QString folder;
    return folder;
}

bool &programLoopFlag()
{
    static bool running = false;
    return running;
}

// A label with its caption; its size follows its text.
QLabel *makeLabel(TMainForm *f, const QString &name, const QString &caption, QWidget *parent)
{
    return f->own(new QLabel(caption, parent), name);
}

// The designed width is the least one; a list still shows its longest item whole.
void fixWidth(QWidget *w, int width)
{
    w->setMinimumWidth(qobject_cast<QComboBox *>(w) ? qMax(width, w->sizeHint().width()) : width);
    w->setSizePolicy(QSizePolicy::Preferred, w->sizePolicy().verticalPolicy());
}

} // namespace

const QString PictureFilter
        = QStringLiteral("Bilder (*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.svg;*.ico;*.tif;*.tiff;*.webp)|"
                         "*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.svg;*.ico;*.tif;*.tiff;*.webp");

void SetProgramFolderForTests(const QString &folder)
{
    programFolderOverride() = folder;
}

void SetProgramMainLoopRunning(bool running)
{
    programLoopFlag() = running;
}

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    MainForm = this;
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Velmora Kuvertino 1.0"));
    setWindowIcon(QIcon(EnvelopePicture(QSize(64, 64))));
    SetTranslationHost([] { return MainForm ? MainForm->language : 0; },
                       [] { return MainForm ? MainForm->progpath : QString(); });
    Document = new TEnvelopeDocument(this);
    createControls();
    createMenu();
    connectHandlers();
    DescribeMainWindowControls(this);
    AddKeyboardAccess(this);
    InstallPdfNotice(this);
    ScrollBox1->installEventFilter(this);
    FormCreate();
}

TMainForm::~TMainForm()
{
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::createControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("MainClient"));
    setCentralWidget(central);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // The hidden focus target comes first in the tab order and lies under the preview area.
    Edit1 = own(new QLineEdit(QStringLiteral("Edit1"), central), QStringLiteral("Edit1"));
    Edit1->setGeometry(152, 248, 121, 21);
    Label16 = makeLabel(this, QStringLiteral("Label16"), QStringLiteral("Label16"), central);
    Label16->move(352, 304);

    // Button bar
    Panel2 = own(new QWidget(central), QStringLiteral("Panel2"));
    auto *bar = new QHBoxLayout(Panel2);
    bar->setContentsMargins(8, 8, 8, 8);
    bar->setSpacing(5);
    auto button = [this](const QString &name,
                         const QString &caption,
                         const QIcon &icon,
                         int width,
                         QWidget *parent) {
        auto *b = own(new TBitBtnXP(caption, icon, parent), name);
        b->setMinimumSize(qMax(width, b->sizeHint().width()), 25);
        return b;
    };
    BitBtn3 = button(QStringLiteral("BitBtn3"),
                     QStringLiteral("Neu"),
                     ThemedIcon("document-new", QStyle::SP_FileIcon),
                     75,
                     Panel2);
    BitBtn4 = button(QStringLiteral("BitBtn4"),
                     QStringLiteral("Öffnen..."),
                     ThemedIcon("document-open", QStyle::SP_DialogOpenButton),
                     75,
                     Panel2);
    BitBtn5 = button(QStringLiteral("BitBtn5"),
                     QStringLiteral("Speichern unter..."),
                     ThemedIcon("document-save-as", QStyle::SP_DialogSaveButton),
                     113,
                     Panel2);
    BitBtn6 = button(QStringLiteral("BitBtn6"),
                     QStringLiteral("Drucker einrichten..."),
                     ThemedIcon("document-print-preview", QStyle::SP_FileDialogDetailedView),
                     129,
                     Panel2);
    BitBtn7 = button(QStringLiteral("BitBtn7"),
                     QStringLiteral("Drucken"),
                     ThemedIcon("document-print", QStyle::SP_DialogApplyButton),
                     75,
                     Panel2);
    BitBtn8 = button(QStringLiteral("BitBtn8"),
                     QStringLiteral("Beenden"),
                     QApplication::style()->standardIcon(QStyle::SP_DialogCancelButton),
                     75,
                     Panel2);
    BitBtn8->setCancel(true);
    for (QWidget *w : {BitBtn3, BitBtn4, BitBtn5, BitBtn6, BitBtn7, BitBtn8})
        bar->addWidget(w);
    bar->addStretch(1);
    outer->addWidget(Panel2);

    // Settings panel, in the designed rows and order.
    Panel1 = own(new QWidget(central), QStringLiteral("Panel1"));
    auto *rows = new QVBoxLayout(Panel1);
    rows->setContentsMargins(8, 0, 8, 6);
    rows->setSpacing(4);

    auto *addressRow = new QHBoxLayout;
    auto *recipientButtons = new QVBoxLayout;
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Empfänger:"), Panel1);
    BitBtn1 = button(QStringLiteral("BitBtn1"),
                     QStringLiteral("Neu"),
                     ThemedIcon("edit-clear", QStyle::SP_FileIcon),
                     81,
                     Panel1);
    ChooseBtn = button(QStringLiteral("ChooseBtn"),
                       QStringLiteral("Wählen"),
                       ThemedIcon("x-office-address-book", QStyle::SP_FileDialogContentsView),
                       81,
                       Panel1);
    ChooseBtn->setToolTip(QStringLiteral("Holt eine in der Adressliste gespeicherte Adresse wieder hervor"));
    SaveInListBtn = button(QStringLiteral("SaveInListBtn"),
                           QStringLiteral("Speichern"),
                           ThemedIcon("list-add", QStyle::SP_DialogSaveButton),
                           81,
                           Panel1);
    SaveInListBtn->setToolTip(QStringLiteral("Speichert die aktuelle Adresse in einer Liste. Diese kann dann "
                                             "später mit Wählen wieder hervorgeholt werden"));
    recipientButtons->addWidget(Label1);
    recipientButtons->addWidget(BitBtn1);
    recipientButtons->addWidget(ChooseBtn);
    recipientButtons->addWidget(SaveInListBtn);
    recipientButtons->addStretch(1);
    Memo1 = own(new TMemo(Panel1), QStringLiteral("Memo1"));
    Memo1->setMinimumSize(233, 89);
    Memo1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Memo1->setFixedHeight(95);
    auto *senderButtons = new QVBoxLayout;
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("Absender:"), Panel1);
    BitBtn2 = button(QStringLiteral("BitBtn2"),
                     QStringLiteral("Neu"),
                     ThemedIcon("edit-clear", QStyle::SP_FileIcon),
                     57,
                     Panel1);
    senderButtons->addWidget(Label2);
    senderButtons->addWidget(BitBtn2);
    senderButtons->addStretch(1);
    Memo2 = own(new TMemo(Panel1), QStringLiteral("Memo2"));
    Memo2->setMinimumSize(257, 89);
    Memo2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Memo2->setFixedHeight(95);
    addressRow->addLayout(recipientButtons);
    addressRow->addWidget(Memo1, 233);
    addressRow->addSpacing(4);
    addressRow->addLayout(senderButtons);
    addressRow->addWidget(Memo2, 257);
    rows->addLayout(addressRow);

    // Spin fields have the info-tip background.
    auto spin = [this](const QString &name, bool decimal, double min, double max, double step, double value) {
        auto *s = own(new TRxSpinEdit(decimal, min, max, step, value, Panel1), name);
        QPalette p = s->palette();
        p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
        p.setColor(QPalette::Text, p.color(QPalette::ToolTipText));
        s->setPalette(p);
        fixWidth(s, 65);
        return s;
    };

    auto *row2 = new QHBoxLayout;
    Label3 = makeLabel(this, QStringLiteral("Label3"), QStringLiteral("Zoom in %:"), Panel1);
    ZoomEd = spin(QStringLiteral("ZoomEd"), false, 10, 1000, 10, 100);
    Label4 = makeLabel(this, QStringLiteral("Label4"), QStringLiteral("Papierformat:"), Panel1);
    ComboBox1 = own(new QComboBox(Panel1), QStringLiteral("ComboBox1"));
    ComboBox1->addItems(PaperFormatItems());
    ComboBox1->setCurrentIndex(-1);
    fixWidth(ComboBox1, 145);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Schrift1Btn = button(QStringLiteral("Schrift1Btn"),
                         QStringLiteral("Empfäger Schriftart..."),
                         ThemedIcon("preferences-desktop-font", QStyle::SP_FileDialogListView),
                         153,
                         Panel1);
    Schrift2Btn = button(QStringLiteral("Schrift2Btn"),
                         QStringLiteral("Absender Schriftart..."),
                         ThemedIcon("preferences-desktop-font", QStyle::SP_FileDialogListView),
                         153,
                         Panel1);
    // The whole-sheet command sits beside the zoom it sets; the walk reaches its texts through the
    // action.
    GanzesBlatt1 = own(new QAction(WholeSheetIcon(palette()), QStringLiteral("Ganzes Blatt"), this),
                       QStringLiteral("GanzesBlatt1"));
    GanzesBlatt1->setToolTip(QStringLiteral("Ganzes Blatt (Strg+0)"));
    GanzesBlatt1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    GanzesBlattBtn = new QToolButton(Panel1);
    GanzesBlattBtn->setObjectName(QStringLiteral("GanzesBlattBtn"));
    GanzesBlattBtn->setDefaultAction(GanzesBlatt1);
    GanzesBlattBtn->setAutoRaise(true);
    for (QWidget *w : std::initializer_list<QWidget *>{
                 Label3, ZoomEd, GanzesBlattBtn, Label4, ComboBox1, Schrift1Btn, Schrift2Btn})
        row2->addWidget(w);
    row2->addStretch(1);
    rows->addLayout(row2);

    auto *row3 = new QHBoxLayout;
    Label6 = makeLabel(this, QStringLiteral("Label6"), QStringLiteral("Rand in mm:"), Panel1);
    RandEd = spin(QStringLiteral("RandEd"), true, 0, 1000, 1, 15);
    Label10 = makeLabel(this, QStringLiteral("Label10"), QStringLiteral("Rand um Bild in mm:"), Panel1);
    BildRandEd = spin(QStringLiteral("BildRandEd"), true, 0, 1000, 1, 5);
    Label11 = makeLabel(this, QStringLiteral("Label11"), QStringLiteral("Info Zeile:"), Panel1);
    InfoEd = own(new QLineEdit(Panel1), QStringLiteral("InfoEd"));
    InfoEd->setToolTip(QStringLiteral("Z.B. \"Antwort\""));
    fixWidth(InfoEd, 129);
    Label5 = own(new QLabel(Panel1), QStringLiteral("Label5"));
    for (QWidget *w :
         std::initializer_list<QWidget *>{Label6, RandEd, Label10, BildRandEd, Label11, InfoEd, Label5})
        row3->addWidget(w);
    row3->addStretch(1);
    rows->addLayout(row3);

    auto *row4 = new QHBoxLayout;
    Label7 = makeLabel(this, QStringLiteral("Label7"), QStringLiteral("Bilddatei:"), Panel1);
    FilenameEdit1 = own(new TFilenameEdit(Panel1), QStringLiteral("FilenameEdit1"));
    fixWidth(FilenameEdit1, 145);
    Label8 = makeLabel(this, QStringLiteral("Label8"), QStringLiteral("Bildbreite in mm:"), Panel1);
    BildBreiteEd = spin(QStringLiteral("BildBreiteEd"), true, 0, 1000, 1, 20);
    Label9 = makeLabel(this, QStringLiteral("Label9"), QStringLiteral("Bildposition:"), Panel1);
    ComboBox2 = own(new QComboBox(Panel1), QStringLiteral("ComboBox2"));
    ComboBox2->addItems({QStringLiteral("Links neben dem Absender"),
                         QStringLiteral("Unter dem Absender"),
                         QStringLiteral("Bild als Briefmarke")});
    ComboBox2->setCurrentIndex(-1);
    fixWidth(ComboBox2, 131);
    ComboBox2->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    HochformatCheck
            = own(new QCheckBox(QStringLiteral("Hochformat"), Panel1), QStringLiteral("HochformatCheck"));
    for (QWidget *w : std::initializer_list<QWidget *>{
                 Label7, FilenameEdit1, Label8, BildBreiteEd, Label9, ComboBox2, HochformatCheck})
        row4->addWidget(w);
    row4->addStretch(1);
    rows->addLayout(row4);

    auto *row5 = new QHBoxLayout;
    Label12 = makeLabel(this, QStringLiteral("Label12"), QStringLiteral("Empfänger anzeigen bei:"), Panel1);
    EmpfProEd = spin(QStringLiteral("EmpfProEd"), true, 0, 1000, 1, 50);
    Label13 = makeLabel(this, QStringLiteral("Label13"), QStringLiteral("% der Blattbreite"), Panel1);
    Label14 = makeLabel(this, QStringLiteral("Label14"), QStringLiteral("Empfänger anzeigen bei:"), Panel1);
    EmpfPro2Ed = spin(QStringLiteral("EmpfPro2Ed"), true, 0, 1000, 1, 50);
    Label15 = makeLabel(this, QStringLiteral("Label15"), QStringLiteral("% der Blatthöhe"), Panel1);
    row5->addWidget(Label12);
    row5->addWidget(EmpfProEd);
    row5->addWidget(Label13);
    row5->addSpacing(24);
    row5->addWidget(Label14);
    row5->addWidget(EmpfPro2Ed);
    row5->addWidget(Label15);
    row5->addStretch(1);
    rows->addLayout(row5);
    Panel1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    outer->addWidget(Panel1);

    // Preview area
    ScrollBox1 = own(new QScrollArea(central), QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setBackgroundRole(QPalette::Dark); // the application-workspace colour
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    PaintBox1 = own(new TPaintBox, QStringLiteral("PaintBox1"));
    ScrollBox1->setWidget(PaintBox1);
    outer->addWidget(ScrollBox1, 1);
    ScrollBox1->raise();

    // Components without a visible place
    PrinterSetupDialog1 = own(new TPrinterSetupDialog(this), QStringLiteral("PrinterSetupDialog1"));
    FontDialog1 = own(new TFontDialog(this), QStringLiteral("FontDialog1"));
    FontDialog2 = own(new TFontDialog(this), QStringLiteral("FontDialog2"));
    Timer1 = own(new QTimer(this), QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    OpenDialog1 = own(new TOpenDialog(this), QStringLiteral("OpenDialog1"));
    OpenDialog1->Filter = QStringLiteral("Briefumschläge (*.KVT)|*.kvt");
    OpenDialog1->DefaultExt = QStringLiteral(".kvt");
    SaveDialog1 = own(new TSaveDialog(this), QStringLiteral("SaveDialog1"));
    SaveDialog1->Filter = OpenDialog1->Filter;
    SaveDialog1->DefaultExt = OpenDialog1->DefaultExt;
    OpenDialog2 = own(new TOpenDialog(this), QStringLiteral("OpenDialog2"));
    OpenDialog2->Filter = QStringLiteral("Adressdateien (*.csv *.txt *.ods *.xlsx "
                                         "*.vcf)|*.csv;*.txt;*.ods;*.xlsx;*.vcf|CSV Dateien (*.csv)|*.csv");
    OpenDialog2->DefaultExt = QStringLiteral(".csv");
    OpenPictureDialog1 = own(new TOpenPictureDialog(this), QStringLiteral("OpenPictureDialog1"));
    OpenPictureDialog1->Filter = PictureFilter;
    FormStorage1 = own(new TFormStorage(this, QStringLiteral("TMainForm")), QStringLiteral("FormStorage1"));

    // Tab order: Edit1 first, then the controls in their rows.
    QWidget *order[]
            = {Edit1,        BitBtn3,     BitBtn4,         BitBtn5,   BitBtn6,    BitBtn7, BitBtn8,
               BitBtn1,      ChooseBtn,   SaveInListBtn,   Memo1,     BitBtn2,    Memo2,   ZoomEd,
               ComboBox1,    Schrift1Btn, Schrift2Btn,     RandEd,    BildRandEd, InfoEd,  FilenameEdit1,
               BildBreiteEd, ComboBox2,   HochformatCheck, EmpfProEd, EmpfPro2Ed};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    setTabOrder(ZoomEd, GanzesBlattBtn);

    resize(715, 540 + menuBar()->sizeHint().height());
    // The designed position at the first start: centred (the placement memory moves it later).
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TMainForm::createMenu()
{
    QMenuBar *bar = menuBar();
    auto item = [this](QMenu *menu, const QString &name, const QString &caption) {
        QAction *a = own(menu->addAction(caption), name);
        return a;
    };
    auto separator = [this](QMenu *menu, const QString &name) {
        // Its caption "-" stays out of the action's text: styles would draw it on the line.
        return own(menu->addSeparator(), name);
    };
    own(bar, QStringLiteral("MainMenu1"));

    Datei1Menu = bar->addMenu(QStringLiteral("Datei"));
    Datei1Menu->setObjectName(QStringLiteral("Datei1Menu"));
    Datei1 = own(Datei1Menu->menuAction(), QStringLiteral("Datei1"));
    Neu1 = item(Datei1Menu, QStringLiteral("Neu1"), QStringLiteral("Neu"));
    Neu1->setIcon(BitBtn3->icon());
    ffnen1 = item(Datei1Menu, QStringLiteral("ffnen1"), QStringLiteral("Öffnen..."));
    ffnen1->setIcon(BitBtn4->icon());
    ffnen1->setShortcut(QKeySequence::Open);
    Speichernunter1
            = item(Datei1Menu, QStringLiteral("Speichernunter1"), QStringLiteral("Speichern unter..."));
    Speichernunter1->setIcon(BitBtn5->icon());
    Speichernunter1->setShortcut(QKeySequence::SaveAs);
    N1 = separator(Datei1Menu, QStringLiteral("N1"));
    CSVImportieren1 = item(Datei1Menu,
                           QStringLiteral("CSVImportieren1"),
                           QStringLiteral("Alle Datensätze einer CSV Datei drucken..."));
    CSVDateiinAdresslisteladen1 = item(Datei1Menu,
                                       QStringLiteral("CSVDateiinAdresslisteladen1"),
                                       QStringLiteral("CSV Datei in Adressliste laden..."));
    N2 = separator(Datei1Menu, QStringLiteral("N2"));
    Druckereinrichten1
            = item(Datei1Menu, QStringLiteral("Druckereinrichten1"), QStringLiteral("Drucker einrichten..."));
    Druckereinrichten1->setIcon(BitBtn6->icon());
    Druckerjustieren1
            = item(Datei1Menu, QStringLiteral("Druckerjustieren1"), QStringLiteral("Drucker justieren..."));
    Drucken1 = item(Datei1Menu, QStringLiteral("Drucken1"), QStringLiteral("Drucken..."));
    Drucken1->setIcon(BitBtn7->icon());
    Drucken1->setShortcut(QKeySequence::Print);
    MehrereKopiendrucken1 = item(
            Datei1Menu, QStringLiteral("MehrereKopiendrucken1"), QStringLiteral("Mehrere Kopien drucken..."));
    N3 = separator(Datei1Menu, QStringLiteral("N3"));
    Beenden1 = item(Datei1Menu, QStringLiteral("Beenden1"), QStringLiteral("Beenden"));
    Beenden1->setIcon(BitBtn8->icon());

    Adressliste1Menu = bar->addMenu(QStringLiteral("Adressliste"));
    Adressliste1Menu->setObjectName(QStringLiteral("Adressliste1Menu"));
    Adressliste1 = own(Adressliste1Menu->menuAction(), QStringLiteral("Adressliste1"));
    Adresslisteimmeroffenhalten1 = item(Adressliste1Menu,
                                        QStringLiteral("Adresslisteimmeroffenhalten1"),
                                        QStringLiteral("Adressliste immer offen halten"));
    Adresslisteimmeroffenhalten1->setCheckable(true);

    Sprache1Menu = bar->addMenu(QStringLiteral("Sprache"));
    Sprache1Menu->setObjectName(QStringLiteral("Sprache1Menu"));
    Sprache1 = own(Sprache1Menu->menuAction(), QStringLiteral("Sprache1"));
    LanguageGroup = new QActionGroup(this);
    LanguageGroup->setExclusive(true);
    Deutsch1 = item(Sprache1Menu, QStringLiteral("Deutsch1"), QStringLiteral("Deutsch"));
    English1 = item(Sprache1Menu, QStringLiteral("English1"), QStringLiteral("English"));
    // Every language the shipped table fills, each named in its own language.
    Francais1 = item(Sprache1Menu, QStringLiteral("Francais1"), QStringLiteral("Français"));
    Nederlands1 = item(Sprache1Menu, QStringLiteral("Nederlands1"), QStringLiteral("Nederlands"));
    for (QAction *a : {Deutsch1, English1, Francais1, Nederlands1}) {
        a->setCheckable(true);
        LanguageGroup->addAction(a);
    }
    Deutsch1->setChecked(true);
    N4 = separator(Sprache1Menu, QStringLiteral("N4"));
    bersetzen1 = item(Sprache1Menu, QStringLiteral("bersetzen1"), QStringLiteral("Übersetzen..."));
    N5 = separator(Sprache1Menu, QStringLiteral("N5"));
    Zollstattmm1 = item(
            Sprache1Menu, QStringLiteral("Zollstattmm1"), QStringLiteral("mm statt Zoll im Englischen"));
    Zollstattmm1->setCheckable(true);

    ber1 = own(bar->addAction(QStringLiteral("Über..")), QStringLiteral("ber1"));
}

void TMainForm::connectHandlers()
{
    auto on = [this](auto *sender, auto signal, void (TMainForm::*handler)()) {
        ConnectGuarded(sender, signal, this, handler);
    };
    on(BitBtn3, &QPushButton::clicked, &TMainForm::Neu1Click);
    on(Neu1, &QAction::triggered, &TMainForm::Neu1Click);
    on(BitBtn4, &QPushButton::clicked, &TMainForm::ffnen1Click);
    on(ffnen1, &QAction::triggered, &TMainForm::ffnen1Click);
    on(BitBtn5, &QPushButton::clicked, &TMainForm::Speichernunter1Click);
    on(Speichernunter1, &QAction::triggered, &TMainForm::Speichernunter1Click);
    on(BitBtn6, &QPushButton::clicked, &TMainForm::Druckereinrichten1Click);
    on(Druckereinrichten1, &QAction::triggered, &TMainForm::Druckereinrichten1Click);
    on(Druckerjustieren1, &QAction::triggered, &TMainForm::Druckerjustieren1Click);
    on(BitBtn7, &QPushButton::clicked, &TMainForm::Drucken1Click);
    on(Drucken1, &QAction::triggered, &TMainForm::Drucken1Click);
    on(BitBtn8, &QPushButton::clicked, &TMainForm::Beenden1Click);
    on(Beenden1, &QAction::triggered, &TMainForm::Beenden1Click);
    on(MehrereKopiendrucken1, &QAction::triggered, &TMainForm::MehrereKopiendrucken1Click);
    on(CSVImportieren1, &QAction::triggered, &TMainForm::CSVImportieren1Click);
    on(CSVDateiinAdresslisteladen1, &QAction::triggered, &TMainForm::CSVDateiinAdresslisteladen1Click);
    on(BitBtn1, &QPushButton::clicked, &TMainForm::BitBtn1Click);
    on(BitBtn2, &QPushButton::clicked, &TMainForm::BitBtn2Click);
    on(ChooseBtn, &QPushButton::clicked, &TMainForm::ChooseBtnClick);
    on(SaveInListBtn, &QPushButton::clicked, &TMainForm::SaveInListBtnClick);
    on(Schrift1Btn, &QPushButton::clicked, &TMainForm::Schrift1BtnClick);
    on(Schrift2Btn, &QPushButton::clicked, &TMainForm::Schrift2BtnClick);
    // The document follows every control first, so each handler below finds it current.
    auto store = [this](auto *sender, auto signal) {
        connect(sender, signal, this, &TMainForm::storeInDocument);
    };
    store(Memo1, &QPlainTextEdit::textChanged);
    store(Memo2, &QPlainTextEdit::textChanged);
    store(FilenameEdit1, &TFilenameEdit::textChanged);
    store(InfoEd, &QLineEdit::textChanged);
    for (TRxSpinEdit *s : {RandEd, BildRandEd, BildBreiteEd, EmpfProEd, EmpfPro2Ed})
        store(s, &QDoubleSpinBox::valueChanged);
    store(ComboBox1, &QComboBox::activated);
    store(ComboBox2, &QComboBox::activated);
    store(HochformatCheck, &QCheckBox::toggled);
    on(Memo1, &QPlainTextEdit::textChanged, &TMainForm::Memo1Change);
    on(Memo2, &QPlainTextEdit::textChanged, &TMainForm::Memo2Change);
    on(FilenameEdit1, &TFilenameEdit::textChanged, &TMainForm::FilenameEdit1Change);
    on(InfoEd, &QLineEdit::textChanged, &TMainForm::InfoEdChange);
    on(ZoomEd, &QDoubleSpinBox::valueChanged, &TMainForm::ZoomEdChange);
    on(GanzesBlatt1, &QAction::triggered, &TMainForm::GanzesBlatt1Click);
    for (TRxSpinEdit *s : {RandEd, BildRandEd, BildBreiteEd, EmpfProEd, EmpfPro2Ed})
        on(s, &QDoubleSpinBox::valueChanged, &TMainForm::RandEdChange);
    // A list set by the program fires no change event: only the user's choice does.
    on(ComboBox1, &QComboBox::activated, &TMainForm::ComboBox1Change);
    on(ComboBox2, &QComboBox::activated, &TMainForm::ComboBox1Change);
    // A tick changed by the program (an opened document) runs the handler too, as a click does.
    on(HochformatCheck, &QCheckBox::toggled, &TMainForm::HochformatCheckClick);
    on(Timer1, &QTimer::timeout, &TMainForm::Timer1Timer);
    // The keep-open item is ticked by its handler, not by the menu: the menu's tick is taken back first.
    connect(Adresslisteimmeroffenhalten1, &QAction::triggered, this, [this](bool checked) {
        QSignalBlocker block(Adresslisteimmeroffenhalten1);
        Adresslisteimmeroffenhalten1->setChecked(!checked);
    });
    on(Adresslisteimmeroffenhalten1, &QAction::triggered, &TMainForm::Adresslisteimmeroffenhalten1Click);
    on(Deutsch1, &QAction::triggered, &TMainForm::Deutsch1Click);
    on(English1, &QAction::triggered, &TMainForm::English1Click);
    on(Francais1, &QAction::triggered, &TMainForm::Francais1Click);
    on(Nederlands1, &QAction::triggered, &TMainForm::Nederlands1Click);
    on(bersetzen1, &QAction::triggered, &TMainForm::bersetzen1Click);
    on(Zollstattmm1, &QAction::triggered, &TMainForm::Zollstattmm1Click);
    on(ber1, &QAction::triggered, &TMainForm::ber1Click);
    auto *wheel = new PreviewWheelFilter(this, ScrollBox1);
    on(wheel, &PreviewWheelFilter::stepDown, &TMainForm::FormMouseWheelDown);
    on(wheel, &PreviewWheelFilter::stepUp, &TMainForm::FormMouseWheelUp);
}

bool TMainForm::isInchMode() const
{
    return language == 1 && !(Zollstattmm1 && Zollstattmm1->isChecked());
}

void TMainForm::FormCreate()
{
    QString folder = programFolderOverride();
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    progpath = folder;
    BuildTranslationIndex();
    ComboBox1->setCurrentIndex(PaperFormatDefaultIndex);
    ComboBox2->setCurrentIndex(1);
    Papierformat(ComboBox1->currentIndex());
    FilenameEdit1->Filter = OpenPictureDialog1->Filter;
    LoadOptionsLang();
}

void TMainForm::FormShow()
{
    if (infirst)
        return;
    RegisterMessages();
    language = languagesetto;
    try {
        LoadOptions();
    } catch (const EKuvertinoError &e) {
        // A damaged last-state file: reported, and the rest of the first-show work waits for the next
        // showing.
        ShowErrorReport(e.message());
        return;
    }
    if (language != 0)
        TranslateComponentTree(Application);
    Application->Title = TranslateText(Application->Title);
    infirst = true;
    // Typing after start goes into the recipient.
    Memo1->setFocus(Qt::OtherFocusReason);
    // The texts are final now; without a placement of its own the window takes the room it needs.
    if (!FormStorage1->placementRestored())
        placeForFirstStart();
    OpenPendingDocument();
}

void TMainForm::placeForFirstStart()
{
    // The walk has changed least widths: the layouts take them before anything is measured. Each
    // level passes the request on to its parent's layout in a new event, one level per round.
    for (int level = 0; level < 6; ++level)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    TPrinter &printer = Printer();
    const int D = logicalDpiX();
    const int R = printer.resolutionX();
    const double Z = ZoomEd->textValue();
    // The sheet with the preview's band around it, below the menu, the button bar and the settings.
    const QSize sheet = PreviewBoxSize(SheetSize(printer.pageWidth(), printer.pageHeight(), D, R, Z));
    const int above
            = menuBar()->sizeHint().height() + Panel2->sizeHint().height() + Panel1->sizeHint().height();
    const QSize needed(qMax(minimumSizeHint().width(), sheet.width()), above + sheet.height());
    const QSize designed(715, 540 + menuBar()->sizeHint().height());

    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    // The desktop's frame is known only once the window is on screen: room for a title bar is kept.
    QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isEmpty())
        frame = QSize(8, 8 + style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    const QSize room = free.size() - frame;
    const QSize size(qMax(designed.width(), qMin(needed.width(), room.width())),
                     qMax(designed.height(), qMin(needed.height(), room.height())));
    resize(size);
    // Centred; a window larger than the free area keeps its title bar on the screen.
    const QSize outer = this->size() + frame;
    move(free.left() + qMax(0, (free.width() - outer.width()) / 2),
         free.top() + qMax(0, (free.height() - outer.height()) / 2));
}

void TMainForm::FormClose()
{
    SaveOptions();
    SaveOptionsLang();
}

void TMainForm::Neu1Click()
{
    Memo1->setText(QString());
    FilenameEdit1->setText(QString());
}

void TMainForm::BitBtn1Click()
{
    Memo1->setText(QString());
}

void TMainForm::BitBtn2Click()
{
    Memo2->setText(QString());
}

void TMainForm::Beenden1Click()
{
    close();
}

void TMainForm::ber1Click()
{
    Dialogs().execModal(AboutBox);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    try {
        FormClose();
    } catch (const EKuvertinoError &e) {
        // Writing the last state failed: the program stays open so nothing is lost.
        event->ignore();
        ShowErrorReport(e.message());
        return;
    } catch (const std::exception &e) {
        event->ignore();
        ShowErrorReport(QString::fromLocal8Bit(e.what()));
        return;
    }
    event->accept();
    QMainWindow::closeEvent(event);
    if (programLoopFlag())
        QCoreApplication::exit(0);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ScrollBox1 && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        // The focus target stays hidden under the preview area whatever height the settings take.
        Edit1->move(152, ScrollBox1->geometry().top() + 6);
        Label16->move(352, ScrollBox1->geometry().top() + 62);
        ScrollBox1->raise();
    }
    return QMainWindow::eventFilter(watched, event);
}

namespace {
// Each window sets its global reference first thing in its constructor, so handlers that run during
// its creation find it; a window whose creation failed leaves no reference behind.
template<class T>
void createForm(T *&ref)
{
    try {
        Application->Components.append(new T);
    } catch (...) {
        ref = nullptr;
        throw;
    }
}
} // namespace

void CreateApplicationWindows()
{
    if (!Application)
        Application = new TApplicationObject;
    Application->Title = QStringLiteral("Kuvertino");
    Application->Components.clear();
    createForm(MainForm);
    createForm(AboutBox);
    createForm(TranslateForm);
    createForm(ChooseAddressForm);
    createForm(KopienForm);
}

void DestroyApplicationWindows()
{
    delete KopienForm;
    KopienForm = nullptr;
    delete ChooseAddressForm;
    ChooseAddressForm = nullptr;
    delete TranslateForm;
    TranslateForm = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete MainForm;
    MainForm = nullptr;
    if (Application)
        Application->Components.clear();
    FreeTranslationTable();
}
