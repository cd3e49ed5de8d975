#include "app/FilenameEdit.h"

#include "app/Dialogs.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

TFilenameEdit::TFilenameEdit(QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_button(new QToolButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    m_button->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_button->setToolTip(QString());
    m_button->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textChanged, this, &TFilenameEdit::textChanged);
    connect(m_button, &QToolButton::clicked, this, &TFilenameEdit::browse);
}

QString TFilenameEdit::text() const
{
    return m_edit->text();
}

void TFilenameEdit::setText(const QString &text)
{
    m_edit->setText(text);
}

void TFilenameEdit::browse()
{
    const QString current = text();
    const QString start = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    if (auto chosen = Dialogs().openFile(window(), Filter, QString(), start))
        setText(*chosen);
}
