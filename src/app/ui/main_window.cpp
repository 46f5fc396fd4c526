#include "protocol/camera_network.h"
#include "app/ui/main_window.h"

#include "app/shared_routines.h"
#include "app/string_table.h"
#include "app/ui/about_dlg.h"
#include "app/ui/busy_lamp.h"
#include "app/ui/state_icons.h"
#include "app/ui/widget_messenger.h"
#include "protocol/config_item.h"
#include "protocol/ui/local_network_group.h"
#include "protocol/ui/reg_cam_dlg.h"
#include "protocol/ui/save_config_dlg.h"
#include "protocol/ui/srch_remote_cam_dlg.h"
#include "fileconfig/ui/file_category.h"
#include "fileconfig/ui/get_conf_dlg.h"
#include "transfer/ui/firmware_dlg.h"
#include "protoconfig/ui/l60_category.h"
#include "protoconfig/ui/login_dlg.h"
#include "transfer/ftp_settings_form.h"
#include "transfer/ui/ftp_setting_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QBrush>
#include <QColor>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

struct PageName {
    const char *object;
    int id;
    const char *fallback;
};

// The file-configured pages by tab index, and the L60 pages.
constexpr PageName kFilePages[] = {
    {"tabNetworkInfo", 3025, "Network Info"},  {"tabETC", 3044, "Host Name"},
    {"TabSheet1", 3049, "Account"},            {"tabSoftUpdate", 3065, "Camera Update"},
    {"tabDDNS", 3113, "DDNS"},                 {"tabWebServer", 3119, "Web Server"},
    {"tabStreamServer", 3122, "Stream Server"}, {"tabEventServer", 3128, "Event Server"},
    {"tabInitialVideo", 3156, "Initial Video"}, {"tabCamControl", 3083, "Camera Control"},
    {"tabSysInfo", 3091, "System Info"},       {"tabSecurity", 3097, "Security"},
    {"tabAudio", 3102, "Audio"},
};
constexpr PageName kL60Pages[] = {
    {"tabL60NetworkInfo", 3025, "Network Info"}, {"tabL60Hostname", 3044, "Host Name"},
    {"tabL60Account", 3049, "Account"},          {"tabL60Miscellanous", 3057, "Miscellaneous"},
};

QString text(int id, const char *fallback)
{
    return GetString(id, QString::fromLatin1(fallback));
}

} // namespace

TAdminToolDlg::TAdminToolDlg(const AppOptions &options, Messenger *messenger, QWidget *parent,
                             const AdapterSource *adapters)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TAdminToolDlg"));
    if (!messenger) {
        m_ownMessenger = std::make_unique<WidgetMessenger>(this);
        messenger = m_ownMessenger.get();
    }
    m_core = std::make_unique<AdminToolCore>(options, *messenger, nullptr, adapters);
    m_core->setPageHost(this);
    m_login = new TLoginDlg(*messenger, this);
    m_saveConfig = new TSaveConfigDlg(m_core->endpoint(), m_core.get(), this);
    m_getConf = new TGetConfDlg(m_core->endpoint(), *messenger, m_core.get(), this);
    m_core->files().setConfigRunner(m_getConf);
    m_firmware = new TFirmwareDlg(*messenger, &m_core->endpoint(), this);
    m_core->update().setConfigRunner(m_getConf);
    m_core->update().setFirmwareRunner(m_firmware);
    setCredentialPrompt(nullptr);
    setConfirmation(nullptr);
    buildLayout();
    buildActions();
    connect(&m_core->l60(), &L60Pages::terminateRequested, this, [] { QCoreApplication::exit(1); });

    UdpEndpoint &udp = m_core->endpoint();
    connect(&udp, &UdpEndpoint::statusTextChanged, m_socketPanel, &QLabel::setText);
    connect(&udp, &UdpEndpoint::lampChanged, m_lamp, &BusyLamp::setLit);
    connect(m_core.get(), &AdminToolCore::statusClock, m_clockPanel, &QLabel::setText);
    connect(m_core.get(), &AdminToolCore::scanStatus, m_scanPanel, &QLabel::setText);

    m_clockTimer = new QTimer(this);
    m_clockTimer->setObjectName(QStringLiteral("ClockTimer"));
    m_clockTimer->setInterval(500);
    connect(m_clockTimer, &QTimer::timeout, this, &TAdminToolDlg::ClockTimerTimer);
    m_clockTimer->start();
}

TAdminToolDlg::~TAdminToolDlg()
{
    m_core->setPageHost(nullptr);
    // The dialogs, the list view and the pages refer to the core (its endpoint, list
    // model and page state), which goes with the members, before QWidget would delete
    // its children: they go first.
    m_core->setCredentialPrompt(nullptr);
    m_core->setConfirmation(nullptr);
    m_core->files().setConfigRunner(nullptr);
    m_core->update().setConfigRunner(nullptr);
    m_core->update().setFirmwareRunner(nullptr);
    delete m_firmware;
    delete m_regCam;
    delete m_srchRemote;
    delete m_getConf;
    delete m_saveConfig;
    delete m_login;
    delete centralWidget();
}

void TAdminToolDlg::buildLayout()
{
    auto *splitter = new QSplitter(this);
    m_list = new QTreeView(splitter);
    m_list->setObjectName(QStringLiteral("CameraList"));
    m_list->setModel(&m_core->list());
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setStretchLastSection(false);
    const int widths[] = {125, 109, 93, 120};
    for (int c = 0; c < 4; ++c)
        m_list->header()->resizeSection(c, widths[c]);
    m_list->setMinimumWidth(460);
    m_core->list().setIconProvider([](int state) -> QVariant {
        const QIcon icon = CameraStateIcon(state);
        return icon.isNull() ? QVariant() : QVariant(icon);
    });
    // Cameras sharing an address, or answering from this computer's own.
    m_core->list().setWarningForeground(QBrush(QColor(0xb0, 0x3a, 0x00)));
    connect(m_list->header(), &QHeaderView::sectionClicked, this,
            &TAdminToolDlg::CameraListColumnClick);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TAdminToolDlg::CameraListSelectItem);

    auto *right = new QWidget(splitter);
    auto *rightLayout = new QVBoxLayout(right);
    m_localGroup = new LocalNetworkGroup(m_core->localNetwork(), right);
    m_localGroup->setObjectName(QStringLiteral("LocalNetworkInfo"));
    rightLayout->addWidget(m_localGroup);

    m_pagesArea = new QWidget(right);
    m_pagesArea->setObjectName(QStringLiteral("PagesArea"));
    m_pagesArea->setMinimumSize(560, 420);
    m_category = new FileCategory(m_core->files(), m_core->update(), m_core->messenger(),
                                  &m_core->localNetwork(), m_pagesArea);
    m_l60Category = new L60Category(m_core->l60(), m_pagesArea);
    // Both page sets fill the same place; the selected camera's family shows one.
    auto *stack = new QGridLayout(m_pagesArea);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(m_category, 0, 0);
    stack->addWidget(m_l60Category, 0, 0);
    rightLayout->addWidget(m_pagesArea, 1);
    splitter->addWidget(m_list);
    splitter->addWidget(right);
    setCentralWidget(splitter);

    m_clockPanel = new QLabel(this);
    m_clockPanel->setObjectName(QStringLiteral("StatusClock"));
    m_clockPanel->setFixedWidth(250);
    m_socketPanel = new QLabel(this);
    m_socketPanel->setObjectName(QStringLiteral("StatusSocket"));
    m_socketPanel->setMinimumWidth(500);
    m_scanPanel = new QLabel(this);
    m_scanPanel->setObjectName(QStringLiteral("StatusScan"));
    m_lamp = new BusyLamp(this);
    statusBar()->addWidget(m_clockPanel);
    statusBar()->addWidget(m_scanPanel);
    statusBar()->addWidget(m_socketPanel, 1);
    statusBar()->addPermanentWidget(m_lamp);
    resize(1100, 620);
}

void TAdminToolDlg::buildActions()
{
    auto *toolbar = addToolBar(QString());
    toolbar->setObjectName(QStringLiteral("ToolBar"));
    toolbar->setMovable(false);
    auto button = [this, toolbar](const char *name, auto slot, bool visible) {
        auto *b = new QToolButton(toolbar);
        b->setObjectName(QLatin1String(name));
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, slot);
        QAction *a = toolbar->addWidget(b);
        a->setVisible(visible);
        return b;
    };
    AdminToolCore *core = m_core.get();
    button("BtnScanCamera", [core] { core->scan(); }, true);
    button("BtnNewCamera", [this] { BtnNewCameraClick(); }, false);
    button("BtnClearList", [core] { core->clearList(); }, true);
    button("btnSaveConfig", [core] { core->saveList(); }, false);
    button("btnAbout", [this] { BtnAboutClick(); }, true);
    button("btnExit", [this] { close(); }, true);

    m_modelFilter = new QComboBox(toolbar);
    m_modelFilter->setObjectName(QStringLiteral("cboCameraModel"));
    toolbar->addWidget(m_modelFilter)->setVisible(false);
    ModelFilterTable &models = m_core->models();
    auto refillFilter = [this, &models] {
        QSignalBlocker block(m_modelFilter);
        m_modelFilter->clear();
        m_modelFilter->addItems(models.names());
        m_modelFilter->setCurrentIndex(models.selected());
    };
    refillFilter();
    connect(&models, &ModelFilterTable::modelAdded, m_modelFilter,
            [this](const QString &name) { m_modelFilter->addItem(name); });
    connect(&models, &ModelFilterTable::cleared, m_modelFilter, refillFilter);
    connect(m_modelFilter, &QComboBox::currentIndexChanged, this,
            [core](int slot) { core->modelFilterChanged(slot); });

    QMenu *file = menuBar()->addMenu(QString());
    file->setObjectName(QStringLiteral("File1"));
    auto item = [this](QMenu *menu, const char *name, auto slot) {
        QAction *a = menu->addAction(QString());
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    item(file, "ScanCameras1", [core] { core->scan(); });
    item(file, "ClearList1", [core] { core->clearList(); });
    item(file, "SaveCameraList1", [core] { core->saveList(); })->setVisible(false);
    file->addSeparator();
    item(file, "Exit1", [this] { close(); });
    QMenu *help = menuBar()->addMenu(QString());
    help->setObjectName(QStringLiteral("Help1"));
    item(help, "AboutZORA1", [this] { BtnAboutClick(); });

    // The context menu is attached to no control; it exists for the FTP settings.
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PoupMenu"));
    m_popupClear = item(m_popup, "ClearList2", [core] { core->clearList(); });
    m_popupClear->setVisible(false);
    m_popupFtp = item(m_popup, "FTPSetting1", &TAdminToolDlg::FTPConnectionSetting1Click);
    m_popupSearch = item(m_popup, "SearchRemoteCamera1", &TAdminToolDlg::SearchRemoteCamera1Click);
    m_popupSearch->setVisible(false);
    connect(m_popup, &QMenu::aboutToShow, this, &TAdminToolDlg::PoupMenuPopup);
}

void TAdminToolDlg::setCaptions()
{
    auto set = [this](const char *name, int id) {
        if (auto *b = findChild<QToolButton *>(QLatin1String(name)))
            b->setText(GetString(id));
        else if (auto *a = findChild<QAction *>(QLatin1String(name)))
            a->setText(GetString(id));
    };
    set("BtnScanCamera", 3008);
    set("BtnNewCamera", 3009);
    set("BtnClearList", 3010);
    set("btnSaveConfig", 3011);
    set("btnAbout", 3012);
    set("btnExit", 3013);
    set("ScanCameras1", 3001);
    set("ClearList1", 3003);
    set("SaveCameraList1", 3004);
    set("Exit1", 3005);
    set("AboutZORA1", 3007);
    set("ClearList2", 3018);
    set("FTPSetting1", 3019);
    set("SearchRemoteCamera1", 3020);
    findChild<QMenu *>(QStringLiteral("File1"))->setTitle(GetString(3000));
    findChild<QMenu *>(QStringLiteral("Help1"))->setTitle(GetString(3006));
    m_core->list().setHeaderTitles({GetString(3014, QStringLiteral("Model")),
                                    GetString(3015, QStringLiteral("Mac Address")),
                                    GetString(3016), GetString(3017)});
    findChild<QGroupBox *>(QStringLiteral("LocalNetworkInfo"))->setTitle(GetString(3021));
    for (int i = 0; i < m_category->count(); ++i)
        m_category->setTabText(i, text(kFilePages[i].id, kFilePages[i].fallback));
    for (int i = 0; i < m_l60Category->count(); ++i) {
        const int page = m_l60Category->page(3) == m_l60Category->widget(i) ? 3 : i;
        m_l60Category->setTabText(i, text(kL60Pages[page].id, kL60Pages[page].fallback));
    }
}

void TAdminToolDlg::setUp()
{
    setCaptions();
    m_localGroup->fill();
    const QString caption = m_core->setUp(QCoreApplication::applicationPid());
    setWindowTitle(caption);
    const QString icon = m_core->oemIconPath();
    if (!icon.isEmpty()) {
        const QIcon loaded(icon);
        if (!loaded.isNull()) {
            setWindowIcon(loaded);
            QApplication::setWindowIcon(loaded);
        }
    }
    ClockTimerTimer();
}

QTabWidget *TAdminToolDlg::category() const
{
    return m_category;
}

QTabWidget *TAdminToolDlg::l60Category() const
{
    return m_l60Category;
}

void TAdminToolDlg::bringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TAdminToolDlg::ClockTimerTimer()
{
    m_core->clockTick(QDateTime::currentDateTime());
}

void TAdminToolDlg::PoupMenuPopup()
{
    m_popupClear->setEnabled(m_core->selectedRow() >= 0);
    m_popupFtp->setEnabled(FtpSettingsForm::offeredFor(m_core->selectedCamera()));
}

void TAdminToolDlg::BtnNewCameraClick()
{
    if (!m_regCam)
        m_regCam = new TRegCamDlg(m_core->endpoint(), m_core->discovery(), m_core->messenger(), this);
    m_regCam->ShowModal();
}

void TAdminToolDlg::SearchRemoteCamera1Click()
{
    if (!m_srchRemote)
        m_srchRemote = new TSrchRemoteCamDlg(m_core->endpoint(), m_core->discovery(),
                                             m_core->messenger(), this);
    const int row = m_core->selectedRow();
    if (row < 0)
        return;
    m_srchRemote->setTarget(m_core->list().column(row, CameraList::ColIp));
    m_srchRemote->ShowModal();
}

void TAdminToolDlg::FTPConnectionSetting1Click()
{
    if (!m_ftpSetting)
        m_ftpSetting = new TFTPSettingDlg(m_core->messenger(), this);
    if (m_core->selectedRow() < 0)
        return;
    TConfigItem *camera = m_core->selectedCamera();
    if (!camera) {
        m_core->messenger().tell(GetString(3256, QStringLiteral("Invalid Information")));
        return;
    }
    m_ftpSetting->attach(FtpSettingsForm::settingOf(*camera, m_core->options().ftpPort));
    m_ftpSetting->ShowModal();
}

void TAdminToolDlg::CameraListSelectItem()
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty())
        m_core->rowDeselected();
    else
        m_core->rowSelected(rows.first().row());
}

void TAdminToolDlg::CameraListColumnClick(int column)
{
    m_core->list().sortByColumn(column);
}

void TAdminToolDlg::BtnAboutClick()
{
    TAboutDlg about(m_core->appName(), this);
    about.exec();
}

void TAdminToolDlg::placeL60OverFilePages()
{
    // The page area's layout keeps both page sets in one place.
}

void TAdminToolDlg::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    m_core->l60().DisableL60Category();
    setPageSetsEnabled(false, false);
    placeL60OverFilePages();
    m_l60Category->hide();
    m_category->show();
}

void TAdminToolDlg::closeEvent(QCloseEvent *event)
{
    // Edits of a file-configured page are offered for saving before the window goes.
    m_core->files().leavePage();
    m_core->removeWorkingFiles();
    QMainWindow::closeEvent(event);
}

void TAdminToolDlg::setPageSetsEnabled(bool fileConfigured, bool l60)
{
    m_category->setEnabled(fileConfigured);
    m_l60Category->setEnabled(l60);
}

void TAdminToolDlg::showFirstPages()
{
    // The core enters the first page itself once it knows the camera's family.
    m_category->setCurrentTab(FileTab::NetworkInfo);
}

void TAdminToolDlg::showFamily(Family family, TConfigItem *camera)
{
    Q_UNUSED(camera);
    placeL60OverFilePages();
    const bool l60 = family == Family::L60;
    m_l60Category->setVisible(l60);
    m_category->setVisible(!l60);
}

void TAdminToolDlg::disableSaveRestore()
{
}

void TAdminToolDlg::savePending(Family family)
{
    // The L60 pages save their own edits.
    if (family == Family::FileConfigured)
        m_core->files().saveEdits();
}

void TAdminToolDlg::setFileSaveButtonsEnabled(bool on)
{
    m_category->setSaveButtonsEnabled(on);
    m_category->setAccountButtonsEnabled(on);
}

void TAdminToolDlg::reloadFilePage()
{
    m_core->files().reenterCurrentPage();
}

void TAdminToolDlg::setCredentialPrompt(CredentialPrompt *prompt)
{
    m_core->setCredentialPrompt(prompt ? prompt : m_login);
}

void TAdminToolDlg::setConfirmation(CommandConfirmation *confirmation)
{
    m_core->setConfirmation(confirmation ? confirmation : m_saveConfig);
}
