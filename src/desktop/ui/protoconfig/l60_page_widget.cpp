#include "desktop/ui/protoconfig/l60_page_widget.h"

#include "base/string_table.h"
#include "desktop/ui/theme_colours.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

L60PageWidget::L60PageWidget(const char *objectName, QWidget *parent)
    : QWidget(parent)
    , m_body(new QVBoxLayout(this))
    , m_topRow(new QHBoxLayout)
    , m_buttons(new QHBoxLayout)
{
    setObjectName(QLatin1String(objectName));
    m_topRow->addStretch(1);
    m_topRow->addLayout(m_buttons);
    m_body->addLayout(m_topRow);
}

QBoxLayout *L60PageWidget::buttonRow() const
{
    return m_buttons;
}

void L60PageWidget::placeSaveButtons(QPushButton *save, QPushButton *restore)
{
    if (m_buttons->indexOf(save) >= 0)
        return;
    // Adding to this page's layout takes the buttons off the page that had them.
    m_buttons->addWidget(save);
    m_buttons->addWidget(restore);
    save->show();
    restore->show();
}

QString L60PageWidget::caption(int id, const char *fallback, bool colon)
{
    const QString text = GetString(id, QString::fromLatin1(fallback));
    return colon ? text + QStringLiteral(" : ") : text;
}

QPushButton *L60PageWidget::button(const char *name, const QString &text, QWidget *parent)
{
    // Real buttons, as on the file-configured pages: flat ones read as labels.
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QLabel *L60PageWidget::label(const char *name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLineEdit *L60PageWidget::edit(const char *name, QWidget *parent, bool secret)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    if (secret)
        e->setEchoMode(QLineEdit::Password);
    return e;
}

QRadioButton *L60PageWidget::radio(const char *name, const QString &text, QWidget *parent)
{
    auto *r = new QRadioButton(text, parent);
    r->setObjectName(QLatin1String(name));
    return r;
}

QGroupBox *L60PageWidget::group(const char *name, const QString &title, QWidget *parent)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    return g;
}

void L60PageWidget::paint(QWidget *field, Colour colour)
{
    // The theme's colours: a fixed light grey turns a dark theme's field into a glare.
    ThemeColours::paintField(field, colour == Colour::Window);
}

void L60PageWidget::fill(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}
