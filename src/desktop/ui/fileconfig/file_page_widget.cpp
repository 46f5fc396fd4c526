#include "desktop/ui/fileconfig/file_page_widget.h"
#include "desktop/ui/theme_colours.h"

#include "base/string_table.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

FilePageWidget::FilePageWidget(FileTab tab, const char *objectName, QWidget *parent)
    : QWidget(parent)
    , m_tab(tab)
{
    setObjectName(QLatin1String(objectName));
}

QString FilePageWidget::caption(int id, const char *fallback, bool colon)
{
    const QString text = GetString(id, QString::fromLatin1(fallback));
    return colon ? text + QStringLiteral(" : ") : text;
}

QLabel *FilePageWidget::label(const char *name, const QString &text)
{
    auto *l = new QLabel(text, this);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLineEdit *FilePageWidget::edit(const char *name, bool secret)
{
    auto *e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    if (secret)
        e->setEchoMode(QLineEdit::Password);
    connect(e, &QLineEdit::textEdited, this, &FilePageWidget::edited);
    return e;
}

QComboBox *FilePageWidget::comboBox(const char *name, const QStringList &items)
{
    auto *box = new QComboBox(this);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    box->setCurrentIndex(-1);
    connect(box, &QComboBox::activated, this, &FilePageWidget::edited);
    return box;
}

QGroupBox *FilePageWidget::groupBox(QWidget *parent, const char *name, const QString &title)
{
    auto *group = new QGroupBox(title, parent);
    group->setObjectName(QLatin1String(name));
    return group;
}

QPushButton *FilePageWidget::setDefaultButton(const char *name, int scope, const QString &text)
{
    auto *b = new QPushButton(text.isEmpty() ? caption(3064, "Set Default") : text, this);
    b->setObjectName(QLatin1String(name));
    connect(b, &QPushButton::clicked, this, [this, scope] { emit resetRequested(scope); });
    return b;
}

void FilePageWidget::paintEdit(QWidget *edit, bool on)
{
    ThemeColours::paintField(edit, on);
}

void FilePageWidget::enableAll(std::initializer_list<QWidget *> widgets, bool on)
{
    for (QWidget *w : widgets) {
        if (!w)
            continue;
        w->setEnabled(on);
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w))
            paintEdit(w, on);
    }
}
