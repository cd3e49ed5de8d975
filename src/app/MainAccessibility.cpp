#include "app/MainAccessibility.h"

#include "app/BitBtnXP.h"
#include "app/FilenameEdit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "app/PdfNotice.h"
#include "app/PrintRun.h"
#include "app/RxSpinEdit.h"

#include "app/PaintBox.h"
#include "core/translateunit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace {

// German keys of the translation table.
constexpr char PreviewText[] = "Vorschau";
constexpr char PreviewNameText[] = "Vorschau: %1, %2, %3";
constexpr char PreviewNameWithoutRecipientText[] = "Vorschau: %1, %2";
constexpr char LandscapeText[] = "Querformat";
constexpr char BrowsePictureText[] = "Bilddatei wählen";
constexpr char NewEnvelopeText[] = "Leert den Empfänger und die Bilddatei";

// Marks a widget a screen reader should pass over.
constexpr char HiddenProperty[] = "kuvertinoNotForScreenReaders";

class HiddenAccessible : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }
};

// The preview reads as a picture named after what it shows.
class PreviewAccessible : public QAccessibleWidget
{
public:
    explicit PreviewAccessible(QWidget *w)
        : QAccessibleWidget(w, QAccessible::Graphic)
    {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && MainForm)
            return PreviewAccessibleName(MainForm);
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *mainWindowAccessible(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *w = static_cast<QWidget *>(object);
    if (className == QLatin1String("TPaintBox"))
        return new PreviewAccessible(w);
    if (object->property(HiddenProperty).toBool())
        return new HiddenAccessible(w);
    return nullptr;
}

} // namespace

QString PreviewAccessibleName(const TMainForm *f)
{
    const QString orientation = f->HochformatCheck->isChecked()
                                        ? f->HochformatCheck->text()
                                        : TranslateText(QString::fromUtf8(LandscapeText));
    const QString firstLine = f->Memo1->toPlainText().section(QLatin1Char('\n'), 0, 0).trimmed();
    if (firstLine.isEmpty())
        return TranslateText(QString::fromUtf8(PreviewNameWithoutRecipientText))
                .arg(f->ComboBox1->currentText(), orientation);
    return TranslateText(QString::fromUtf8(PreviewNameText))
            .arg(f->ComboBox1->currentText(), orientation, firstLine);
}

void DescribeMainWindowControls(TMainForm *f)
{
    // A label names its field: as buddy it gives Qt the label relation, and the explicit name also
    // reaches screen readers where the focused part is not the label's sibling (the file name's own
    // line) or where a toolkit takes a list's name from elsewhere.
    const std::pair<QLabel *, QWidget *> named[] = {{f->Label1, f->Memo1},
                                                    {f->Label2, f->Memo2},
                                                    {f->Label3, f->ZoomEd},
                                                    {f->Label4, f->ComboBox1},
                                                    {f->Label6, f->RandEd},
                                                    {f->Label10, f->BildRandEd},
                                                    {f->Label11, f->InfoEd},
                                                    {f->Label7, f->FilenameEdit1},
                                                    {f->Label8, f->BildBreiteEd},
                                                    {f->Label9, f->ComboBox2},
                                                    {f->Label12, f->EmpfProEd},
                                                    {f->Label14, f->EmpfPro2Ed}};
    for (const auto &[label, field] : named) {
        label->setBuddy(field);
        field->setAccessibleName(label->text());
    }
    f->FilenameEdit1->lineEdit()->setAccessibleName(f->Label7->text());
    // The two positions share their label; the unit after each field tells them apart, as the three
    // "Neu" buttons are told apart by the address they empty.
    f->EmpfProEd->setAccessibleDescription(f->Label13->text());
    f->EmpfPro2Ed->setAccessibleDescription(f->Label15->text());
    f->BitBtn1->setAccessibleDescription(f->Label1->text());
    f->BitBtn2->setAccessibleDescription(f->Label2->text());
    f->BitBtn3->setAccessibleDescription(QString::fromUtf8(NewEnvelopeText));
    f->FilenameEdit1->browseButton()->setToolTip(QString::fromUtf8(BrowsePictureText));
    f->FilenameEdit1->browseButton()->setAccessibleName(f->FilenameEdit1->browseButton()->toolTip());
    f->ScrollBox1->setAccessibleName(QString::fromUtf8(PreviewText));

    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(mainWindowAccessible);
    installed = true;
    // Nobody sees the focus target under the preview nor its label: a screen reader passes them by.
    // With a screen reader running, setting their texts has already made them an interface: it goes.
    for (QWidget *hidden : {static_cast<QWidget *>(f->Edit1), static_cast<QWidget *>(f->Label16)}) {
        hidden->setProperty(HiddenProperty, true);
        QAccessible::deleteAccessibleInterface(
                QAccessible::uniqueId(QAccessible::queryAccessibleInterface(hidden)));
    }
}

void AddKeyboardAccess(TMainForm *f)
{
    f->Neu1->setShortcut(QKeySequence::New);
    f->Beenden1->setShortcut(QKeySequence::Quit);
    // F10 opens the menu bar as on the desktops' own programs.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), f);
    menuKey->setObjectName(QStringLiteral("MenuBarKey"));
    QObject::connect(menuKey, &QShortcut::activated, f, [f] { f->menuBar()->setActiveAction(f->Datei1); });

    // The desktop's style marks a focused single-line field but not the address boxes: they get a
    // frame in the highlight colour while they have the focus. Unfocused, their frame is drawn here
    // too: the style's one-pixel lines fall between device pixels at 125 % and 150 % and vanish. The
    // padding keeps the text where it is when the frame thickens.
    for (TMemo *memo : {f->Memo1, f->Memo2})
        memo->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 1px solid palette(mid); padding: 1px; }"
                                           "QPlainTextEdit:focus { border: 2px solid palette(highlight); "
                                           "padding: 0px; }"));

    // The browse button is reached by Tab right after the file name.
    QToolButton *browse = f->FilenameEdit1->browseButton();
    browse->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(f->FilenameEdit1->lineEdit(), browse);

    // The focus target under the preview keeps its first place in the chain and still takes the focus
    // from a press on the preview, but Tab no longer stops on a field nobody sees; the preview itself
    // is the stop where the arrow keys scroll.
    f->Edit1->setFocusPolicy(Qt::ClickFocus);
    // Nothing is typed there: a touch screen's keyboard does not come up for it.
    f->Edit1->setAttribute(Qt::WA_InputMethodEnabled, false);
}

void InstallPdfNotice(TMainForm *f)
{
    InstallPdfNoticeAccessibility();
    auto *notice = new TPdfNotice(f->centralWidget());
    if (auto *outer = qobject_cast<QVBoxLayout *>(f->centralWidget()->layout()))
        outer->addWidget(notice);
    QPointer<TPdfNotice> guard(notice);
    SetPdfRunListener([guard](const QString &lastFile, int files) {
        if (guard)
            guard->showFiles(lastFile, files);
    });
}
