#include "protoconfig/ui/l60_page_builder.h"

#include "app/string_table.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace L60Ui {

QString caption(int id, const char *fallback, bool colon)
{
    const QString text = GetString(id, QString::fromLatin1(fallback));
    return colon ? text + QStringLiteral(" : ") : text;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y, int w)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, 22);
    return l;
}

QLineEdit *edit(QWidget *parent, const char *name, int x, int y, int w, bool secret)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(x, y, w, 22);
    if (secret)
        e->setEchoMode(QLineEdit::Password);
    return e;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text, int x, int y, int w,
                    bool flat)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, y, w, 24);
    b->setFlat(flat);
    return b;
}

QRadioButton *radio(QWidget *parent, const char *name, const QString &text, int x, int y, int w)
{
    auto *r = new QRadioButton(text, parent);
    r->setObjectName(QLatin1String(name));
    r->setGeometry(x, y, w, 22);
    return r;
}

QGroupBox *group(QWidget *parent, const char *name, const QString &title, int x, int y, int w, int h)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    g->setGeometry(x, y, w, h);
    return g;
}

} // namespace L60Ui
