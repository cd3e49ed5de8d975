#pragma once

#include "app/Components.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QtNumeric>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPaintEvent;
class QScrollArea;
class QTimer;
class QToolButton;
class TBitBtnXP;
class TFilenameEdit;
class TFormStorage;
class TMemo;
class TPaintBox;
class TRxSpinEdit;
class TEnvelopeDocument;
struct EnvelopeValue;

// The main window. It shows the document (the envelope being designed and the address list) in its
// controls and writes what the user changes into it. The commands of each subsystem are defined in
// their own files of the application layer (src/app/), and hand the work to the layers below.
class TMainForm : public QMainWindow, public TComponentList
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // Fields
    QString progpath; // program folder, ending in a separator
    bool dontchlang = false;
    bool infirst = false;
    int language = 0;
    int languagesetto = 0;
    // A document named on the command line; opened once, when the first showing's start-up work is done.
    QString pendingDocument;

    // Button bar
    QWidget *Panel2 = nullptr;
    TBitBtnXP *BitBtn3 = nullptr; // Neu
    TBitBtnXP *BitBtn4 = nullptr; // Öffnen...
    TBitBtnXP *BitBtn5 = nullptr; // Speichern unter...
    TBitBtnXP *BitBtn6 = nullptr; // Drucker einrichten...
    TBitBtnXP *BitBtn7 = nullptr; // Drucken
    TBitBtnXP *BitBtn8 = nullptr; // Beenden (cancel button)

    // Settings panel
    QWidget *Panel1 = nullptr;
    QLabel *Label1 = nullptr;
    TBitBtnXP *BitBtn1 = nullptr;
    TBitBtnXP *ChooseBtn = nullptr;
    TBitBtnXP *SaveInListBtn = nullptr;
    TMemo *Memo1 = nullptr;
    QLabel *Label2 = nullptr;
    TBitBtnXP *BitBtn2 = nullptr;
    TMemo *Memo2 = nullptr;
    QLabel *Label3 = nullptr;
    TRxSpinEdit *ZoomEd = nullptr;
    QToolButton *GanzesBlattBtn = nullptr; // shows GanzesBlatt1
    QLabel *Label4 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    TBitBtnXP *Schrift1Btn = nullptr;
    TBitBtnXP *Schrift2Btn = nullptr;
    QLabel *Label6 = nullptr;
    TRxSpinEdit *RandEd = nullptr;
    QLabel *Label10 = nullptr;
    TRxSpinEdit *BildRandEd = nullptr;
    QLabel *Label11 = nullptr;
    QLineEdit *InfoEd = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label7 = nullptr;
    TFilenameEdit *FilenameEdit1 = nullptr;
    QLabel *Label8 = nullptr;
    TRxSpinEdit *BildBreiteEd = nullptr;
    QLabel *Label9 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QCheckBox *HochformatCheck = nullptr;
    QLabel *Label12 = nullptr;
    TRxSpinEdit *EmpfProEd = nullptr;
    QLabel *Label13 = nullptr;
    QLabel *Label14 = nullptr;
    TRxSpinEdit *EmpfPro2Ed = nullptr;
    QLabel *Label15 = nullptr;

    // Preview area and the hidden focus target
    QScrollArea *ScrollBox1 = nullptr;
    TPaintBox *PaintBox1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *Label16 = nullptr;

    // Components without a visible place
    TPrinterSetupDialog *PrinterSetupDialog1 = nullptr;
    TFontDialog *FontDialog1 = nullptr; // recipient font
    TFontDialog *FontDialog2 = nullptr; // sender font
    QTimer *Timer1 = nullptr;
    TOpenDialog *OpenDialog1 = nullptr;
    TSaveDialog *SaveDialog1 = nullptr;
    TOpenDialog *OpenDialog2 = nullptr;
    TOpenPictureDialog *OpenPictureDialog1 = nullptr;
    TFormStorage *FormStorage1 = nullptr;

    // Main menu (each item, the menus' own titles included, is a QAction with the item's name)
    QMenu *Datei1Menu = nullptr;
    QMenu *Adressliste1Menu = nullptr;
    QMenu *Sprache1Menu = nullptr;
    QAction *Datei1 = nullptr;
    QAction *Neu1 = nullptr;
    QAction *ffnen1 = nullptr;
    QAction *Speichernunter1 = nullptr;
    QAction *N1 = nullptr;
    QAction *CSVImportieren1 = nullptr;
    QAction *CSVDateiinAdresslisteladen1 = nullptr;
    QAction *N2 = nullptr;
    QAction *Druckereinrichten1 = nullptr;
    QAction *Druckerjustieren1 = nullptr;
    QAction *Drucken1 = nullptr;
    QAction *MehrereKopiendrucken1 = nullptr;
    QAction *N3 = nullptr;
    QAction *Beenden1 = nullptr;
    QAction *Adressliste1 = nullptr;
    QAction *Adresslisteimmeroffenhalten1 = nullptr;
    QAction *Sprache1 = nullptr;
    QAction *Deutsch1 = nullptr;
    QAction *English1 = nullptr;
    QAction *Francais1 = nullptr;
    QAction *Nederlands1 = nullptr;
    QActionGroup *LanguageGroup = nullptr;
    QAction *N4 = nullptr;
    QAction *bersetzen1 = nullptr;
    QAction *N5 = nullptr;
    QAction *Zollstattmm1 = nullptr;
    QAction *ber1 = nullptr;
    QAction *GanzesBlatt1 = nullptr; // the zoom at which the whole sheet fits, Ctrl+0

    // Inch mode: English active and "mm statt Zoll im Englischen" unticked.
    bool isInchMode() const;
    // The document the window shows: the envelope and the address list.
    TEnvelopeDocument *Document = nullptr;
    // Writes what the controls hold into the document (each length the value its field took, in
    // millimetres). Every control's change does it; so does every command before it reads the document.
    void storeInDocument();
    // The envelope as drawn and printed now: the document's, each length as its field's text shows
    // it, so a length still being typed is drawn as typed.
    EnvelopeValue envelope();
    // Shows the document's fields that a read took in the controls, in file order.
    void showDocument(const struct TSettingsReadResult &read);
    // A unit switch puts a length into the other unit: the document keeps its millimetres while the
    // field still shows what the switch put there (index: margin, picture margin, picture width).
    double unitSwitchShown[3] = {qQNaN(), qQNaN(), qQNaN()};

    // --- Start-up and main window (MainUnit.cpp)
    void FormCreate();
    void FormShow();
    void FormClose();
    void Neu1Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void Beenden1Click();
    void ber1Click();

    // --- Paper formats (Papierformat.cpp)
    void Papierformat(int nr);
    void ComboBox1Change();
    void HochformatCheckClick();

    // --- Renderers and preview (Preview.cpp, PaintToCanvas.cpp)
    void PaintToCanvas(QPainter &canvas0, int dpi, int width, int height, double zoomedvalue, bool printit);
    void PaintToCanvasHochformat(
            QPainter &canvas0, int dpi, int width, int height, double zoomedvalue, bool printit);
    void PaintBox1Paint(QPaintEvent *event);
    void PaintBox1MouseDown();
    void ZoomEdChange();
    void GanzesBlatt1Click();
    void InfoEdChange();
    void RandEdChange();
    void Schrift1BtnClick();
    void Schrift2BtnClick();
    void Memo1Change();
    void Memo2Change();
    void FilenameEdit1Change();
    void Timer1Timer();
    void FormMouseWheelDown();
    void FormMouseWheelUp();

    // --- Settings file and last state (PersistCommands.cpp)
    void SaveOptionsFile(const QString &fname);
    void LoadOptionsFile(const QString &fname);
    void Speichernunter1Click();
    void ffnen1Click();
    QString GetProgramDir(bool create);
    void SaveOptions();
    void LoadOptions();
    // Opens pendingDocument as "Öffnen..." would; a file that cannot be read is reported instead.
    void OpenPendingDocument();

    // --- Printing (PrintCommands.cpp)
    void Drucken1Click();
    void Druckereinrichten1Click();
    void Druckerjustieren1Click();
    void MehrereKopiendrucken1Click();

    // --- Address list and CSV runs (AddressCommands.cpp, CsvCommands.cpp)
    void SaveInListBtnClick();
    void ChooseBtnClick();
    void Adresslisteimmeroffenhalten1Click();
    void CSVImportieren1Click();
    void CSVDateiinAdresslisteladen1Click();
    void FillRecipientFromCsvLine(const QString &line);

    // --- Language selection (LanguageCommands.cpp)
    void LoadOptionsLang();
    void SaveOptionsLang();
    void Deutsch1Click();
    void English1Click();
    void Francais1Click();
    void Nederlands1Click();
    void Zollstattmm1Click();
    void bersetzen1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    // At the first start: the size that shows the settings and the whole sheet where the screen
    // allows, never below the designed size, centred.
    void placeForFirstStart();
    void createMenu();
    void connectHandlers();
};

class TAboutBox;
class TTranslateForm;
class TChooseAddressForm;
class TKopienForm;

extern TMainForm *MainForm;
extern TAboutBox *AboutBox;
extern TTranslateForm *TranslateForm;
extern TChooseAddressForm *ChooseAddressForm;
extern TKopienForm *KopienForm;

// Creates the application object and the five windows once, in the designed order, and installs the
// Qt dialogs unless a seam is installed already. Used by main() and by the GUI tests.
void CreateApplicationWindows();
// Destroys the windows again (tests; the program ends with the process).
void DestroyApplicationWindows();

// The document a command line names (its first argument after the program's), as an absolute path;
// empty when there is none.
QString DocumentArgument(const QStringList &arguments);

// The program folder used instead of the executable's folder (tests).
void SetProgramFolderForTests(const QString &folder);
// Set by main() while the event loop runs, so closing the main window ends the program.
void SetProgramMainLoopRunning(bool running);
// The picture dialog's filter: every picture kind the renderer loads.
extern const QString PictureFilter;
