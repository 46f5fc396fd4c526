#include "desktop/ui/fileconfig/file_category.h"

#include "base/string_table.h"
#include "desktop/ui/fileconfig/account_page.h"
#include "desktop/ui/fileconfig/event_page.h"
#include "desktop/ui/fileconfig/file_page_widgets.h"
#include "desktop/ui/fileconfig/host_name_page.h"
#include "desktop/ui/fileconfig/network_info_page.h"
#include "desktop/ui/number_fields.h"
#include "fileconfig/file_page_table.h"
#include "fileconfig/file_pages.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>

FileCategory::FileCategory(FilePages &flow, CameraUpdate &update, Messenger &messenger,
                           LocalNetworkInfo *localNetwork, QWidget *parent)
    : QTabWidget(parent)
    , m_flow(flow)
{
    setObjectName(QStringLiteral("Category"));
    setUsesScrollButtons(true);
    const FilePageWidgetContext context{update, messenger, localNetwork};
    for (const FilePageRow &row : FilePageTable::rows()) {
        QWidget *sheet = FilePageWidgets::make(row.tab, context, this);
        // A page without a widget still takes its place, so that tab indices stay tabs.
        if (!sheet)
            sheet = new QWidget(this);
        m_sheets << sheet;
        // A page taller than the window scrolls rather than squeezing its rows together.
        auto *scroll = new QScrollArea(this);
        scroll->setObjectName(sheet->objectName() + QStringLiteral("Scroll"));
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(sheet);
        addTab(scroll, row.titleText());
    }
    // The pages with flows of their own beyond their settings.
    m_network = qobject_cast<NetworkInfoPage *>(page(FileTab::NetworkInfo));
    m_host = qobject_cast<HostNamePage *>(page(FileTab::HostName));
    m_account = qobject_cast<AccountPage *>(page(FileTab::Account));
    m_event = qobject_cast<EventPage *>(page(FileTab::EventServer));

    m_buttons = new QWidget(this);
    auto *row = new QHBoxLayout(m_buttons);
    row->setContentsMargins(0, 0, 0, 0);
    m_save = new QPushButton(GetString(3042, QStringLiteral("Save")), m_buttons);
    m_save->setObjectName(QStringLiteral("btnSave"));
    m_restore = new QPushButton(GetString(3043, QStringLiteral("Restore")), m_buttons);
    m_restore->setObjectName(QStringLiteral("btnRestore"));
    row->addWidget(m_save);
    row->addWidget(m_restore);
    m_save->setEnabled(false);
    m_restore->setEnabled(false);
    placeButtons(0);
    bind();
    NumberFields::restrict(this);
    m_flow.setView(this);
}

void FileCategory::retitle()
{
    const QList<FilePageRow> &rows = FilePageTable::rows();
    for (int i = 0; i < rows.size() && i < count(); ++i)
        setTabText(i, rows.at(i).titleText());
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
    if (m_event) {
        connect(m_event, &EventPage::sourceChosen, this,
                [this](EventSource source) { m_flow.eventSourceChosen(source); });
    }
    if (!m_account)
        return;
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
    const FilePageRow *row = FilePageTable::of(FileTab(index));
    const bool shown = !row || row->pageSave();
    if (shown) {
        if (m_buttons->parentWidget() == this)
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
    if (m_network)
        m_network->setMac(details.mac);
    if (m_host) {
        m_host->setModelName(details.modelName);
        m_host->setDomainEnabled(details.domain);
    }
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
    if (m_account)
        m_account->setButtonsEnabled(on);
}

void FileCategory::setPasswordResult(const QString &text)
{
    if (m_account)
        m_account->setPasswordResult(text);
}

void FileCategory::focusControl(const QString &name)
{
    QWidget *w = findChild<QWidget *>(name);
    if (w && w->isVisible() && w->isEnabled())
        w->setFocus();
}
