#include "protoconfig/ui/l60_category.h"

#include "app/string_table.h"
#include "protoconfig/l60_pages.h"
#include "protoconfig/ui/l60_account_page.h"
#include "protoconfig/ui/l60_host_page.h"
#include "protoconfig/ui/l60_misc_page.h"
#include "protoconfig/ui/l60_network_page.h"
#include "protoconfig/ui/l60_page_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

constexpr int kSaveX = 362;
constexpr int kRestoreX = 450;
constexpr int kButtonsY = 16;
constexpr int kAway = 4000;

struct PageTitle {
    int id;
    const char *fallback;
};
constexpr PageTitle kTitles[] = {
    {3025, "Network Info"}, {3044, "Host Name"}, {3049, "Account"}, {3057, "Miscellaneous"}};

QColor paintColour(L60Paint paint, const QPalette &base)
{
    switch (paint) {
    case L60Paint::InactiveBorder:
        return QColor(0xD4, 0xD0, 0xC8);
    case L60Paint::ButtonFace:
        return base.color(QPalette::Button);
    default:
        return base.color(QPalette::Base);
    }
}

} // namespace

L60Category::L60Category(L60Pages &pages, QWidget *parent)
    : QTabWidget(parent)
    , m_core(pages)
{
    setObjectName(QStringLiteral("L60Category"));
    m_pages = {new L60NetworkPage(this), new L60HostPage(this), new L60AccountPage(this),
               new L60MiscPage(this)};
    for (int i = 0; i < 3; ++i)
        addTab(m_pages[i], L60Ui::caption(kTitles[i].id, kTitles[i].fallback));
    m_pages[3]->hide();
    m_save = L60Ui::button(m_pages[0], "btnL60Save", L60Ui::caption(3042, "Save"), kSaveX, kButtonsY);
    m_restore = L60Ui::button(m_pages[0], "btnL60Restore", L60Ui::caption(3043, "Restore"),
                              kRestoreX, kButtonsY);
    m_save->setEnabled(false);
    m_restore->setEnabled(false);
    bind();
    connect(this, &QTabWidget::currentChanged, this, &L60Category::pageChanged);
    connect(&m_core, &L60Pages::stateChanged, this, &L60Category::sync);
    connect(&m_core, &L60Pages::focusRequested, this, &L60Category::focusControl);
    sync();
}

void L60Category::bind()
{
    for (const QString &name : L60Pages::controlNames()) {
        QWidget *w = nullptr;
        for (QWidget *p : m_pages) {
            if (p->objectName() == name)
                w = p;
            else if (!w)
                w = p->findChild<QWidget *>(name);
        }
        if (w)
            m_controls.insert(name, w);
    }
    L60Pages *core = &m_core;
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        const QString name = it.key();
        QWidget *w = it.value();
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            connect(e, &QLineEdit::textEdited, this,
                    [core, name](const QString &text) { core->textEdited(name, text); });
        } else if (auto *cb = qobject_cast<QComboBox *>(w)) {
            connect(cb, &QComboBox::activated, this,
                    [core, name](int index) { core->entryChosen(name, index); });
        }
    }
    auto click = [this](const char *name, auto handler) {
        if (auto *b = qobject_cast<QAbstractButton *>(m_controls.value(QLatin1String(name))))
            connect(b, &QAbstractButton::clicked, this, handler);
    };
    click("btnL60Save", [core] { core->btnL60SaveClick(); });
    click("btnL60Restore", [core] { core->btnL60RestoreClick(); });
    click("btnL60AccountSave", [core] { core->btnL60AccountSaveClick(); });
    click("btnL60AccountRestore", [core] { core->btnL60RestoreClick(); });
    click("btnL60SelectStaticIP", [core] { core->networkTypeClicked(L60NetworkType::Static); });
    click("btnL60SelectDhcp", [core] { core->networkTypeClicked(L60NetworkType::Dhcp); });
    click("btnL60SelectPPPOE", [core] { core->networkTypeClicked(L60NetworkType::Pppoe); });
    click("pppL60SelectDnsTypeManual", [core] { core->pppL60SelectDnsTypeManualClick(); });
    click("pppL60SelectDnsTypeAuto", [core] { core->pppL60SelectDnsTypeAutoClick(); });
    click("chkL60ChangePasswd", [core](bool on) { core->chkL60ChangePasswdClick(on); });
    click("chkL60UseAccount", [core](bool on) { core->chkL60UseAccountClick(on); });
    click("btnL60SetFactoryDefault", [core] { core->btnL60SetFactoryDefaultClick(); });
    for (const char *name : {"btnL60StaticPutIP", "btnL60StaticPutNetMask", "btnL60StaticPutGateway",
                             "btnL60StaticPutDns", "btnL60PPPPutDnsAddr"}) {
        const QString n = QLatin1String(name);
        click(name, [core, n] { core->autoInput(n); });
    }
    if (auto *up = findChild<QToolButton *>(QStringLiteral("UpDownL60MDSensitivityUp")))
        connect(up, &QToolButton::clicked, this, [core] { core->sensitivityStep(1); });
    if (auto *down = findChild<QToolButton *>(QStringLiteral("UpDownL60MDSensitivityDown")))
        connect(down, &QToolButton::clicked, this, [core] { core->sensitivityStep(-1); });
    if (QWidget *mask = m_controls.value(QStringLiteral("editL60NetMask")))
        mask->installEventFilter(this);
}

bool L60Category::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && watched->objectName() == QLatin1String("editL60NetMask"))
        m_core.netMaskEntered();
    return QTabWidget::eventFilter(watched, event);
}

void L60Category::pageChanged(int index)
{
    if (!m_syncing && index >= 0)
        m_core.L60CategoryChange(index);
}

void L60Category::focusControl(const QString &name)
{
    QWidget *w = m_controls.value(name);
    if (w && w->isVisible() && w->isEnabled())
        w->setFocus();
}

void L60Category::sync()
{
    if (m_syncing)
        return;
    m_syncing = true;
    // Pages: page 3 is attached only while the camera has one.
    const bool misc = m_core.miscAttached();
    const int miscIndex = indexOf(m_pages[3]);
    if (misc && miscIndex < 0)
        addTab(m_pages[3], L60Ui::caption(kTitles[3].id, kTitles[3].fallback));
    else if (!misc && miscIndex >= 0)
        removeTab(miscIndex);
    if (!misc)
        m_pages[3]->hide();
    if (m_core.currentPage() < count() && currentIndex() != m_core.currentPage())
        setCurrentIndex(m_core.currentPage());

    // The Save and Restore buttons sit on the page they were last moved to.
    QWidget *holder = m_pages.value(m_core.saveButtonsPage(), m_pages[0]);
    if (m_save->parentWidget() != holder) {
        m_save->setParent(holder);
        m_restore->setParent(holder);
        m_save->move(kSaveX, kButtonsY);
        m_restore->move(kRestoreX, kButtonsY);
        m_save->show();
        m_restore->show();
    }

    const bool settings = m_core.miscArrangement() == L60Pages::MiscArrangement::Settings;
    if (QWidget *g = m_controls.value(QStringLiteral("grpL60MDSensitivity")))
        g->move(g->x(), settings ? 8 : kAway);
    if (QWidget *g = m_controls.value(QStringLiteral("grpL60DIOSource")))
        g->move(g->x(), settings ? 88 : kAway);
    if (QWidget *g = m_controls.value(QStringLiteral("T50FlashGroup")))
        g->move(g->x(), settings ? kAway : 8);

    static const QStringList visibilityManaged = {QStringLiteral("staticL60IPPanel"),
                                                  QStringLiteral("staticL60PPPOEPanel")};
    static const QStringList labelTexts = {QStringLiteral("lblL60AudioEnabled"),
                                           QStringLiteral("LabelL60PasswordResult")};
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        const L60Control &state = m_core.control(it.key());
        QWidget *w = it.value();
        w->setEnabled(state.enabled);
        if (visibilityManaged.contains(it.key()))
            w->setVisible(state.visible);
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            if (e->text() != state.text)
                e->setText(state.text);
        } else if (auto *r = qobject_cast<QRadioButton *>(w)) {
            // An exclusive radio cannot be unticked directly; ticking its sibling does it.
            if (state.checked && !r->isChecked())
                r->setChecked(true);
        } else if (auto *c = qobject_cast<QCheckBox *>(w)) {
            c->setChecked(state.checked);
        } else if (auto *cb = qobject_cast<QComboBox *>(w)) {
            cb->setCurrentIndex(state.index);
        } else if (auto *l = qobject_cast<QLabel *>(w)) {
            if (labelTexts.contains(it.key()))
                l->setText(state.text);
        }
        if (state.paint != L60Paint::Default) {
            QPalette p = w->palette();
            const QColor colour = paintColour(state.paint, QPalette());
            p.setColor(QPalette::Active, QPalette::Base, colour);
            p.setColor(QPalette::Inactive, QPalette::Base, colour);
            p.setColor(QPalette::Disabled, QPalette::Base, colour);
            w->setPalette(p);
        }
    }
    m_syncing = false;
}
