#include "protoconfig/ui/l60_misc_page.h"

#include "protoconfig/ui/l60_page_builder.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace L60Ui;

L60MiscPage::L60MiscPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("tabL60Miscellanous"));
    QGroupBox *md = group(this, "grpL60MDSensitivity", caption(3058, "Motion Detection Sensitivity"),
                          8, 8, 530, 70);
    edit(md, "L60MDSensitivity", 12, 28, 80)->setText(QStringLiteral("1"));
    // The up-down control: one arrow up, one down, stepping the edit within 1..255.
    auto *updown = new QWidget(md);
    updown->setObjectName(QStringLiteral("UpDownL60MDSensitivity"));
    updown->setGeometry(92, 28, 18, 22);
    auto *up = new QToolButton(updown);
    up->setObjectName(QStringLiteral("UpDownL60MDSensitivityUp"));
    up->setArrowType(Qt::UpArrow);
    up->setGeometry(0, 0, 18, 11);
    auto *down = new QToolButton(updown);
    down->setObjectName(QStringLiteral("UpDownL60MDSensitivityDown"));
    down->setArrowType(Qt::DownArrow);
    down->setGeometry(0, 11, 18, 11);

    QGroupBox *dio = group(this, "grpL60DIOSource", caption(3059, "Digital Output Source"), 8, 88,
                           530, 70);
    auto *source = new QComboBox(dio);
    source->setObjectName(QStringLiteral("cboL60DoSource"));
    source->setGeometry(12, 28, 200, 24);
    source->addItems({QStringLiteral("None"), QStringLiteral("Motion Event"),
                      QStringLiteral("Digital Input"), QStringLiteral("All Method")});
    source->setCurrentIndex(-1);

    QGroupBox *flash = group(this, "T50FlashGroup", caption(3060, "Software Upgrade"), 8, 4000, 530,
                             100);
    label(flash, "lblL60FlashFile", caption(3061, "Flash Image File"), 12, 24, 150);
    edit(flash, "editL60FlashFile", 12, 50, 300);
    button(flash, "btnL60Browse", caption(3062, "Browse..."), 320, 49, 90, false);
    button(flash, "btnL60StartUpdate", caption(3063, "Start Update"), 420, 49, 100, false);

    button(this, "btnL60SetFactoryDefault", caption(3096, "Set Factory Default"), 8, 340, 160, false);
}
