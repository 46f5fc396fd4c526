#include "desktop/ui/fileconfig/file_category.h"

#include "base/string_table.h"
#include "fileconfig/file_pages.h"
#include "desktop/ui/fileconfig/account_page.h"
#include "desktop/ui/fileconfig/audio_page.h"
#include "desktop/ui/fileconfig/camera_control_page.h"
#include "desktop/ui/fileconfig/ddns_page.h"
#include "desktop/ui/fileconfig/event_page.h"
#include "desktop/ui/fileconfig/host_name_page.h"
#include "desktop/ui/fileconfig/initial_video_page.h"
#include "desktop/ui/fileconfig/network_info_page.h"
#include "desktop/ui/fileconfig/security_page.h"
#include "desktop/ui/fileconfig/stream_server_page.h"
#include "desktop/ui/fileconfig/system_info_page.h"
#include "desktop/ui/fileconfig/web_server_page.h"
#include "desktop/ui/fileconfig/camera_update_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>

namespace {

struct TabTitle {
    int id;
    const char *fallback;
};
constexpr TabTitle kTitles[kFileTabCount] = {
    {3025, "Network Info"},  {3044, "Host Name"},     {3049, "Account"},
    {3065, "Camera Update"}, {3113, "DDNS"},          {3119, "Web Server"},
    {3122, "Stream Server"}, {3128, "Event Server"},  {3156, "Initial Video"},
    {3083, "Camera Control"}, {3091, "System Info"},  {3097, "Security"},
    {3102, "Audio"},
};

QString text(int id, const char *fallback)
{
    return GetString(id, QString::fromLatin1(fallback));
}

} // namespace

FileCategory::FileCategory(FilePages &flow, CameraUpdate &update, Messenger &messenger,
                           LocalNetworkInfo *localNetwork, QWidget *parent)
    : QTabWidget(parent)
    , m_flow(flow)
{
    setObjectName(QStringLiteral("Category"));
    setUsesScrollButtons(true);
    m_network = new NetworkInfoPage(this);
    m_network->setLocalNetwork(localNetwork);
    m_host = new HostNamePage(this);
    m_account = new AccountPage(this);
    auto *updatePage = new CameraUpdatePage(update, messenger, this);
    m_event = new EventPage(this);
    m_sheets = {m_network,
                m_host,
                m_account,
                updatePage,
                new DdnsPage(this),
                new WebServerPage(this),
                new StreamServerPage(this),
                m_event,
                new InitialVideoPage(this),
                new CameraControlPage(this),
                new SystemInfoPage(this),
                new SecurityPage(this),
                new AudioPage(this)};
    // A page taller than the window scrolls rather than squeezing its rows together.
    for (int i = 0; i < kFileTabCount; ++i) {
        auto *scroll = new QScrollArea(this);
        scroll->setObjectName(m_sheets[i]->objectName() + QStringLiteral("Scroll"));
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(m_sheets[i]);
        addTab(scroll, text(kTitles[i].id, kTitles[i].fallback));
    }

    m_buttons = new QWidget(this);
    auto *row = new QHBoxLayout(m_buttons);
    row->setContentsMargins(0, 0, 0, 0);
    m_save = new QPushButton(text(3042, "Save"), m_buttons);
    m_save->setObjectName(QStringLiteral("btnSave"));
    m_restore = new QPushButton(text(3043, "Restore"), m_buttons);
    m_restore->setObjectName(QStringLiteral("btnRestore"));
    row->addWidget(m_save);
    row->addWidget(m_restore);
    m_save->setEnabled(false);
    m_restore->setEnabled(false);
    placeButtons(0);
    bind();
    m_flow.setView(this);
}

FileCategory::~FileCategory()
{
    m_flow.setView(nullptr);
}

FilePageWidget *FileCategory::page(FileTab tab) const
{
    return qobject_cast<FilePageWidget *>(m_sheets.value(int(tab)));
}

void FileCategory::bind()
{
    connect(this, &QTabWidget::currentChanged, this, &FileCategory::pageChanged);
    connect(m_save, &QPushButton::clicked, this, [this] { m_flow.btnSaveClick(); });
    connect(m_restore, &QPushButton::clicked, this, [this] { m_flow.btnRestoreClick(); });
    for (QWidget *sheet : std::as_const(m_sheets)) {
        auto *p = qobject_cast<FilePageWidget *>(sheet);
        if (!p)
            continue;
        connect(p, &FilePageWidget::edited, this, [this] { m_flow.ConfigChanged(); });
        connect(p, &FilePageWidget::resetRequested, this,
                [this](int scope) { m_flow.setDefaultClick(scope); });
    }
    connect(m_event, &EventPage::sourceChosen, this,
            [this](EventSource source) { m_flow.eventSourceChosen(source); });
    connect(m_account, &AccountPage::changePasswordClicked, this,
            [this](bool on) { m_flow.chkChangePasswdClick(on); });
    connect(m_account, &AccountPage::useAccountClicked, this,
            [this](bool on) { m_flow.chkUseAccountClick(on); });
    connect(m_account, &AccountPage::newPasswordEdited, this,
            [this] { m_flow.editNewPasswordChange(); });
    connect(m_account, &AccountPage::saveClicked, this, [this] { m_flow.btnAccountSaveClick(); });
    connect(m_account, &AccountPage::restoreClicked, this, [this] { m_flow.btnRestoreClick(); });
}

void FileCategory::placeButtons(int index)
{
    // The Save and Restore buttons serve the page shown; the account page has its own
    // and the update page saves nothing.
    const bool shown = index != int(FileTab::Account) && index != int(FileTab::CameraUpdate);
    if (shown) {
        setCornerWidget(m_buttons, Qt::TopRightCorner);
        m_buttons->show();
    } else {
        m_buttons->hide();
    }
}

void FileCategory::pageChanged(int index)
{
    placeButtons(index);
    if (!m_switching && index >= 0)
        m_flow.CategoryChange(FileTab(index));
}

PageSettings FileCategory::shownSettings(FileTab tab) const
{
    if (const FilePageWidget *p = page(tab))
        return p->pageSettings();
    return std::monostate();
}

void FileCategory::showSettings(FileTab tab, const PageSettings &settings)
{
    if (FilePageWidget *p = page(tab))
        p->setPageSettings(settings);
}

void FileCategory::setPageEnabled(FileTab tab, bool on)
{
    if (FilePageWidget *p = page(tab))
        p->setPageEnabled(on);
}

void FileCategory::setCameraTraits(const CameraTraits &traits)
{
    for (QWidget *sheet : std::as_const(m_sheets)) {
        if (auto *p = qobject_cast<FilePageWidget *>(sheet))
            p->setCameraTraits(traits);
    }
}

void FileCategory::setRecordDetails(const RecordDetails &details)
{
    m_network->setMac(details.mac);
    m_host->setModelName(details.modelName);
    m_host->setDomainEnabled(details.domain);
}

void FileCategory::setCurrentTab(FileTab tab)
{
    m_switching = true;
    setCurrentIndex(int(tab));
    m_switching = false;
    placeButtons(currentIndex());
}

void FileCategory::setSaveButtonsEnabled(bool on)
{
    m_save->setEnabled(on);
    m_restore->setEnabled(on);
}

void FileCategory::setAccountButtonsEnabled(bool on)
{
    m_account->setButtonsEnabled(on);
}

void FileCategory::setPasswordResult(const QString &text)
{
    m_account->setPasswordResult(text);
}

void FileCategory::focusControl(const QString &name)
{
    QWidget *w = findChild<QWidget *>(name);
    if (w && w->isVisible() && w->isEnabled())
        w->setFocus();
}
