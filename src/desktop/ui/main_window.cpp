#include "desktop/ui/main_window.h"

#include "base/shared_routines.h"
#include "base/string_table.h"
#include "desktop/site_jobs.h"
#include "desktop/ui/about_dlg.h"
#include "desktop/ui/busy_lamp.h"
#include "desktop/ui/export_file_dialog.h"
#include "desktop/ui/fileconfig/file_category.h"
#include "desktop/ui/fileconfig/get_conf_dlg.h"
#include "desktop/ui/page_index_list.h"
#include "desktop/ui/protocol/local_network_group.h"
#include "desktop/ui/protocol/reg_cam_dlg.h"
#include "desktop/ui/protocol/save_config_dlg.h"
#include "desktop/ui/protocol/srch_remote_cam_dlg.h"
#include "desktop/ui/protoconfig/l60_category.h"
#include "desktop/ui/protoconfig/login_dlg.h"
#include "desktop/ui/site/jobs_pane.h"
#include "desktop/ui/site/site_action_dialogs.h"
#include "desktop/ui/site_events_pane.h"
#include "desktop/ui/state_icons.h"
#include "desktop/ui/theme_colours.h"
#include "desktop/ui/transfer/firmware_dlg.h"
#include "desktop/ui/transfer/ftp_setting_dlg.h"
#include "desktop/ui/widget_messenger.h"
#include "protocol/camera_network.h"
#include "site/camera_list_format.h"
#include "site/job_board.h"
#include "site/report_text.h"
#include "transfer/ftp_settings_form.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QCloseEvent>
#include <QColor>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

namespace {

// The actions on the selected cameras, as the Camera menu names them ("...1"; the
// context menu's end in 2).
QList<std::pair<const char *, QString>> siteActions()
{
    return {{"BackUp1", QObject::tr("&Back Up the Selected Cameras...")},
            {"RestoreBackup1", QObject::tr("Restore from Bac&kup...")},
            {"UpdateFirmware1", QObject::tr("&Update Firmware...")},
            {"SetField1", QObject::tr("Set a Fiel&d on All...")},
            {"ApplyPlan1", QObject::tr("Apply a Site P&lan...")}};
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
    m_actionDialogs = std::make_unique<SiteActionDialogs>(this);
    m_core->jobs().setInputs(m_actionDialogs.get());
    buildLayout();
    m_jobsPane = new JobsPane(m_core->jobs(), this);
    addDockWidget(Qt::BottomDockWidgetArea, m_jobsPane);
    m_jobsPane->hide();
    buildActions();
    JobBoard &board = m_core->jobs().board();
    // A camera whose job ends gets its pages back; one a job takes loses them.
    connect(&board, &JobBoard::totalsChanged, this, [this] {
        if (!m_heldMac.isEmpty() && !m_core->jobs().board().holds(m_heldMac))
            showSelection(selectedRows());
    });
    connect(&board, &JobBoard::runningChanged, this, [this](bool running) {
        // A few cameras' rows in view when the pane first comes up under the list.
        if (running && !m_jobsPaneSized) {
            m_jobsPaneSized = true;
            resizeDocks({m_jobsPane}, {m_jobsPane->fontMetrics().height() * 12}, Qt::Vertical);
        }
        showSelection(selectedRows());
    });
    connect(&m_core->jobs(), &SiteJobs::closeWhenDone, this, [this] {
        QTimer::singleShot(0, this, &QWidget::close);
    });
    buildSiteEvents();
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
    delete m_jobsPane;
    m_core->jobs().setInputs(nullptr);
    delete centralWidget();
}

void TAdminToolDlg::buildLayout()
{
    auto *splitter = new QSplitter(this);
    m_splitter = splitter;
    splitter->setObjectName(QStringLiteral("MainSplitter"));
    auto *left = new QWidget(splitter);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    m_filter = new QLineEdit(left);
    m_filter->setObjectName(QStringLiteral("CameraFilter"));
    m_filter->setPlaceholderText(tr("Filter the list (Ctrl+F): model, MAC, address, host, adapter"));
    m_filter->setClearButtonEnabled(true);
    leftLayout->addWidget(m_filter);
    m_list = new QTreeView(left);
    leftLayout->addWidget(m_list, 1);
    m_list->setObjectName(QStringLiteral("CameraList"));
    m_list->setIconSize(QSize(16, 16));
    m_list->setModel(&m_core->list());
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Ctrl- and Shift-click, Ctrl+A: the actions of the Camera menu go to every camera
    // selected; the pages show one camera's values only when one is.
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setSectionsClickable(true);
    // Widths for the platform's font: a MAC and an address always whole, the host name
    // taking what is left.
    m_list->header()->setStretchLastSection(true);
    for (int c = 0; c < CameraList::kVisibleColumns; ++c)
        m_list->header()->resizeSection(c, columnFit(c));
    m_list->setMinimumWidth(300);
    connect(m_filter, &QLineEdit::textChanged, this, [this] { applyFilter(0, m_core->list().count() - 1); });
    CameraList *model = &m_core->list();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { applyFilter(first, last); });
    const auto all = [this] { applyFilter(0, m_core->list().count() - 1); };
    connect(model, &QAbstractItemModel::modelReset, this, all);
    connect(model, &QAbstractItemModel::layoutChanged, this, all);
    // Every row has an icon's room, an empty one for a camera that answers: a row that
    // gets the restart icon would otherwise grow and move every row below it.
    m_core->list().setIconProvider([](int state) -> QVariant {
        const QIcon icon = CameraStateIcon(state);
        if (!icon.isNull())
            return icon;
        static const QIcon blank = [] {
            QPixmap room(16, 16);
            room.fill(Qt::transparent);
            return QIcon(room);
        }();
        return blank;
    });
    // A camera's texts as zoractl prints them: a name cannot draw control characters.
    m_core->list().setDisplayText(&ReportText::escaped);
    // Cameras sharing an address, or answering from this computer's own; the colours
    // read on the theme's background, light or dark.
    m_core->list().setWarningForeground(QBrush(ThemeColours::warningText(m_list->palette())));
    m_core->list().setSilentForeground(QBrush(ThemeColours::silentText(m_list->palette())));
    connect(model, &CameraList::sortChanged, this, &TAdminToolDlg::showSortIndicator);
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
    m_fileBox = new QWidget(m_pagesArea);
    m_category = new FileCategory(m_core->files(), m_core->update(), m_core->messenger(),
                                  &m_core->localNetwork(), m_fileBox);
    m_l60Box = new QWidget(m_pagesArea);
    m_l60Category = new L60Category(m_core->l60(), m_l60Box);
    // Each page set with its page names down the side, alike for both, so that the two
    // fill the same place; the selected camera's family shows one.
    m_fileIndex = new PageIndexList(m_category, m_fileBox);
    m_l60Index = new PageIndexList(m_l60Category, m_l60Box);
    // With the tab bar gone, the file pages' Save and Restore go under the page names,
    // one above the other so that the names' column stays narrow.
    QWidget *fileButtons = m_category->buttonRow();
    m_category->setCornerWidget(nullptr, Qt::TopRightCorner);
    if (auto *buttons = qobject_cast<QBoxLayout *>(fileButtons->layout()))
        buttons->setDirection(QBoxLayout::TopToBottom);
    const int indexWidth = std::max({m_fileIndex->neededWidth(), m_l60Index->neededWidth(),
                                     fileButtons->sizeHint().width()});
    for (auto [box, index, pages] : {std::tuple<QWidget *, PageIndexList *, QTabWidget *>{m_fileBox, m_fileIndex, m_category},
                                     {m_l60Box, m_l60Index, m_l60Category}}) {
        auto *row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        auto *side = new QVBoxLayout;
        index->setFixedWidth(indexWidth);
        side->addWidget(index, 1);
        if (box == m_fileBox)
            side->addWidget(fileButtons);
        row->addLayout(side);
        row->addWidget(pages, 1);
    }
    fileButtons->show();
    m_pagesArea->setMinimumSize(std::max(560, 400 + indexWidth), 420);
    auto *stack = new QGridLayout(m_pagesArea);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(m_fileBox, 0, 0);
    stack->addWidget(m_l60Box, 0, 0);
    m_noCameraHint = tr("Select a camera in the list to see and change its settings.\n"
                        "Scan (F5) finds the cameras on every network adapter.");
    m_noCamera = new QLabel(m_noCameraHint, m_pagesArea);
    m_noCamera->setObjectName(QStringLiteral("NoCameraHint"));
    m_noCamera->setAlignment(Qt::AlignCenter);
    m_noCamera->setWordWrap(true);
    stack->addWidget(m_noCamera, 0, 0);
    rightLayout->addWidget(m_pagesArea, 1);
    splitter->addWidget(left);
    splitter->addWidget(right);
    // A wider window widens the pages (beside their names); the list keeps its columns.
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    // The list starts wide enough for its four columns; the pages take the rest.
    int listWidth = 24;
    for (int c = 0; c < CameraList::kVisibleColumns; ++c)
        listWidth += m_list->header()->sectionSize(c);
    splitter->setSizes({listWidth, 600});
    setCentralWidget(splitter);

    m_clockPanel = new QLabel(this);
    m_clockPanel->setObjectName(QStringLiteral("StatusClock"));
    fitToFont();
    m_socketPanel = new QLabel(this);
    m_socketPanel->setObjectName(QStringLiteral("StatusSocket"));
    m_socketPanel->setMinimumWidth(500);
    m_scanPanel = new QLabel(this);
    m_scanPanel->setObjectName(QStringLiteral("StatusScan"));
    m_selectionPanel = new QLabel(this);
    m_selectionPanel->setObjectName(QStringLiteral("StatusSelection"));
    m_lamp = new BusyLamp(this);
    statusBar()->addWidget(m_clockPanel);
    statusBar()->addWidget(m_scanPanel);
    statusBar()->addWidget(m_selectionPanel);
    statusBar()->addWidget(m_socketPanel, 1);
    statusBar()->addPermanentWidget(m_lamp);
    resize(1100, 620);
}

void TAdminToolDlg::buildActions()
{
    auto *toolbar = addToolBar(tr("Toolbar"));
    toolbar->setObjectName(QStringLiteral("ToolBar"));
    toolbar->setMovable(false);
    // Its context menu would only offer to hide it, with nothing to bring it back.
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->toggleViewAction()->setVisible(false);
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
    item(file, "ScanCameras1", [core] { core->scan(); })->setShortcut(QKeySequence(Qt::Key_F5));
    item(file, "ClearList1", [core] { core->clearList(); });
    item(file, "SaveCameraList1", [core] { core->saveList(); })->setVisible(false);
    QAction *exportList = item(file, "ExportList1", [this] { ExportList1Click(); });
    exportList->setText(tr("&Export list..."));
    file->addSeparator();
    item(file, "Exit1", [this] { close(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    buildCameraMenu();
    QMenu *help = menuBar()->addMenu(QString());
    help->setObjectName(QStringLiteral("Help1"));
    QAction *legend = item(help, "IconLegend1", [this] { showIconLegend(); });
    legend->setText(tr("&Icons of the camera list"));
    item(help, "AboutZORA1", [this] { BtnAboutClick(); });
    auto *find = new QAction(this);
    find->setObjectName(QStringLiteral("FindCamera"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        m_filter->setFocus();
        m_filter->selectAll();
    });
    addAction(find);

    // Right-click, Shift+F10 and the Menu key on the list or a page.
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PoupMenu"));
    m_popupClear = item(m_popup, "ClearList2", [core] { core->clearList(); });
    m_popupClear->setVisible(false);
    m_popupFtp = item(m_popup, "FTPSetting1", &TAdminToolDlg::FTPConnectionSetting1Click);
    m_popupSearch = item(m_popup, "SearchRemoteCamera1", &TAdminToolDlg::SearchRemoteCamera1Click);
    m_popupSearch->setVisible(false);
    m_popup->addSeparator();
    for (const auto &[name, text] : siteActions()) {
        // The same actions as the Camera menu's, named ...2 in this menu.
        const QString action = QLatin1String(name);
        QByteArray popupName(name);
        popupName.back() = '2';
        QAction *a = m_popup->addAction(text);
        a->setObjectName(QString::fromLatin1(popupName));
        connect(a, &QAction::triggered, this, [this, action] { runSiteAction(action); });
        if (action == QLatin1String("ApplyPlan1"))
            m_popupPlan = a;
        else
            m_jobActions << a;
    }
    connect(m_popup, &QMenu::aboutToShow, this, &TAdminToolDlg::PoupMenuPopup);
    for (QWidget *w : {static_cast<QWidget *>(m_list), m_pagesArea}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint &pos) { popupAt(w, pos); });
    }
}

void TAdminToolDlg::buildCameraMenu()
{
    // Everything a camera can be asked beyond the broadcast scan, reachable from the
    // menu bar: a camera behind a router is found only through these.
    m_cameraMenu = menuBar()->addMenu(tr("&Camera"));
    m_cameraMenu->setObjectName(QStringLiteral("Camera1"));
    auto item = [this](const char *name, const QString &text, auto slot) {
        QAction *a = m_cameraMenu->addAction(text);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    item("RegisterCamera1", tr("&Register Camera..."), &TAdminToolDlg::BtnNewCameraClick);
    m_menuSearch = item("SearchRemoteCamera2", tr("&Search Remote Camera"),
                        &TAdminToolDlg::SearchRemoteCamera1Click);
    m_menuFtp = item("FTPSetting2", tr("&FTP Setting..."), &TAdminToolDlg::FTPConnectionSetting1Click);
    m_cameraMenu->addSeparator();
    const auto click = [this](bool save) {
        if (QPushButton *b = pageButton(save))
            b->click();
    };
    m_menuSave = item("SavePage1", tr("Save the &Page"), [click] { click(true); });
    m_menuRestore = item("RestorePage1", tr("Res&tore the Page"), [click] { click(false); });
    m_cameraMenu->addSeparator();
    // The selected cameras at once (several with Ctrl or Shift, all shown with Ctrl+A).
    for (const auto &[name, text] : siteActions()) {
        const QString action = QLatin1String(name);
        QAction *a = item(name, text, [this, action] { runSiteAction(action); });
        if (action == QLatin1String("ApplyPlan1"))
            m_planAction = a;
        else
            m_jobActions << a;
    }
    m_cameraMenu->addSeparator();
    QAction *pane = m_jobsPane->toggleViewAction();
    pane->setObjectName(QStringLiteral("ViewJobs1"));
    pane->setText(tr("Show the &Jobs Pane"));
    m_cameraMenu->addAction(pane);
    connect(m_cameraMenu, &QMenu::aboutToShow, this, &TAdminToolDlg::CameraMenuPopup);
}

void TAdminToolDlg::CameraMenuPopup()
{
    const bool idle = !m_core->jobs().running();
    const bool any = !m_core->macsOfRows(selectedRows()).isEmpty();
    for (QAction *a : std::as_const(m_jobActions))
        a->setEnabled(idle && any);
    m_planAction->setEnabled(idle);
    m_menuSearch->setEnabled(listSelectedRow() >= 0);
    m_menuFtp->setEnabled(FtpSettingsForm::offeredFor(m_core->selectedCamera()));
    m_menuSave->setEnabled(pageButton(true) != nullptr);
    m_menuRestore->setEnabled(pageButton(false) != nullptr);
}

QPushButton *TAdminToolDlg::pageButton(bool save) const
{
    static const char *const saves[] = {"btnSave", "btnAccountSave", "btnL60Save", "btnL60AccountSave"};
    static const char *const restores[] = {"btnRestore", "btnAccountRestore", "btnL60Restore",
                                           "btnL60AccountRestore"};
    for (const char *name : save ? saves : restores) {
        auto *b = m_pagesArea->findChild<QPushButton *>(QLatin1String(name));
        if (b && b->isVisible() && b->isEnabled())
            return b;
    }
    return nullptr;
}

int TAdminToolDlg::listSelectedRow() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? m_core->selectedRow() : rows.first().row();
}

void TAdminToolDlg::popupAt(QWidget *widget, const QPoint &pos)
{
    QPoint at = pos;
    // From the keyboard the menu opens at the selected row rather than wherever the
    // pointer happens to be.
    if (widget == m_list) {
        const QModelIndex current = m_list->currentIndex();
        const QRect row = current.isValid() ? m_list->visualRect(current) : QRect();
        if (!m_list->viewport()->rect().contains(pos) && row.isValid())
            at = row.center();
        widget = m_list->viewport();
    }
    m_popup->popup(widget->mapToGlobal(at));
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
    m_category->retitle();
    m_l60Category->retitle();
    m_fileIndex->sync();
    m_l60Index->sync();
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
    restoreLayout();
}

QString TAdminToolDlg::layoutFile()
{
    // A small file of the window's own: zora.ini stays as the installation wrote it.
    return WindowLayoutFile();
}

void TAdminToolDlg::saveLayout()
{
    if (ApplicationPath().isEmpty())
        return;
    QSettings layout(layoutFile(), QSettings::IniFormat);
    layout.setValue(QStringLiteral("window/geometry"), saveGeometry());
    layout.setValue(QStringLiteral("window/splitter"), m_splitter->saveState());
    layout.setValue(QStringLiteral("window/columns"), m_list->header()->saveState());
}

void TAdminToolDlg::restoreLayout()
{
    if (ApplicationPath().isEmpty() || !QFileInfo::exists(layoutFile()))
        return;
    const QSettings layout(layoutFile(), QSettings::IniFormat);
    restoreGeometry(layout.value(QStringLiteral("window/geometry")).toByteArray());
    m_splitter->restoreState(layout.value(QStringLiteral("window/splitter")).toByteArray());
    m_list->header()->restoreState(layout.value(QStringLiteral("window/columns")).toByteArray());
    // Widths saved under a smaller font would cut a MAC: never narrower than the fit.
    fitToFont();
    // The saved indicator belongs to the last run's order, not to this list.
    showSortIndicator();
}

QRect TAdminToolDlg::fitToScreen(const QRect &window, const QRect &screen)
{
    if (screen.isEmpty())
        return window;
    QRect r(window.topLeft(), window.size().boundedTo(screen.size()));
    r.moveLeft(qBound(screen.left(), r.left(), screen.right() - r.width() + 1));
    r.moveTop(qBound(screen.top(), r.top(), screen.bottom() - r.height() + 1));
    return r;
}

void TAdminToolDlg::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if ((event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange) && m_clockPanel)
        fitToFont();
}

void TAdminToolDlg::fitToFont()
{
    // Room for the longest date at the status bar's font.
    m_clockPanel->setMinimumWidth(
        m_clockPanel->fontMetrics().horizontalAdvance(QStringLiteral("Wednesday September 30 2026 23:59:59")) + 16);
    for (int c = 0; c < CameraList::kVisibleColumns - 1; ++c) {
        if (m_list->header()->sectionSize(c) < columnFit(c))
            m_list->header()->resizeSection(c, columnFit(c));
    }
}

int TAdminToolDlg::columnFit(int column) const
{
    // Widths for the list's font: a model name, a MAC and an address always whole.
    const QFontMetrics fm(m_list->font());
    const int pad = fm.horizontalAdvance(QLatin1Char('M')) * 2;
    static const char *const widest[] = {"RX80K-W ", "00:0A:1B:2C:3D:4E", "255.255.255.255",
                                         "camera-name-10"};
    if (column < 0 || column >= CameraList::kVisibleColumns)
        return 0;
    // The model column holds the state icon besides the name.
    return fm.horizontalAdvance(QLatin1String(widest[column])) + pad
           + (column == 0 ? m_list->iconSize().width() + 4 : 0);
}

void TAdminToolDlg::showSortIndicator()
{
    const CameraList &list = m_core->list();
    QHeaderView *header = m_list->header();
    header->setSortIndicatorShown(list.sortColumn() >= 0);
    if (list.sortColumn() >= 0)
        header->setSortIndicator(list.sortColumn(),
                                 list.sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TAdminToolDlg::applyFilter(int first, int last)
{
    m_core->setListFilter(m_filter->text());
    const CameraList &list = m_core->list();
    for (int r = qMax(0, first); r <= last && r < list.count(); ++r)
        m_list->setRowHidden(r, {}, !m_core->rowShown(r));
}

bool TAdminToolDlg::exportList(const QString &path)
{
    CameraNetwork &network = m_core->network();
    const QList<int> records = network.records();
    const QByteArray bytes = path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)
                                 ? CameraListFormat::json(network, records, false)
                                 : CameraListFormat::csv(network, records, false);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_core->messenger().tell(tr("Could not write %1: %2").arg(path, file.errorString()),
                                 GetString(3169, QStringLiteral("Warning")), Messenger::Style::Error);
        return false;
    }
    return true;
}

void TAdminToolDlg::ExportList1Click()
{
    const QString path = ExportFileDialog::ask(this, tr("Export the camera list"));
    if (!path.isEmpty())
        exportList(path);
}

void TAdminToolDlg::showIconLegend()
{
    QDialog legend(this);
    legend.setObjectName(QStringLiteral("IconLegend"));
    legend.setWindowTitle(tr("Icons of the camera list"));
    auto *form = new QFormLayout(&legend);
    for (int state : CameraList::states()) {
        auto *icon = new QLabel(&legend);
        const QIcon i = CameraStateIcon(state);
        if (!i.isNull())
            icon->setPixmap(i.pixmap(16, 16));
        form->addRow(icon, new QLabel(CameraList::stateText(state), &legend));
    }
    form->addRow(new QLabel(tr("Greyed"), &legend),
                 new QLabel(tr("Did not answer the last scan (the tooltip says when)"), &legend));
    form->addRow(new QLabel(tr("Warning colour"), &legend),
                 new QLabel(tr("Shares its address with another camera, or answers from an address of this computer"), &legend));
    auto *remote = new QLabel(tr("Scan reaches only the cameras on this computer's own networks. "
                                 "For a camera behind a router use Camera > Register Camera... "
                                 "with its address; for a listed camera that no longer answers, "
                                 "select it and use Camera > Search Remote Camera."),
                              &legend);
    remote->setObjectName(QStringLiteral("LegendRemote"));
    remote->setWordWrap(true);
    form->addRow(new QLabel(tr("Not found"), &legend), remote);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &legend);
    connect(buttons, &QDialogButtonBox::accepted, &legend, &QDialog::accept);
    form->addRow(buttons);
    legend.exec();
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
    CameraMenuPopup();
    m_popupPlan->setEnabled(!m_core->jobs().running());
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
    // A saved row that never answered is the one to search for, though it leaves the
    // pages with the camera selected before.
    const int row = listSelectedRow();
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

QList<int> TAdminToolDlg::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows()) {
        if (!m_list->isRowHidden(index.row(), QModelIndex()))
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TAdminToolDlg::CameraListSelectItem()
{
    const QList<int> rows = selectedRows();
    m_selectionPanel->setText(rows.size() > 1 ? tr("%1 selected").arg(rows.size()) : QString());
    showSelection(rows);
}

void TAdminToolDlg::showSelection(const QList<int> &rows)
{
    const QString held = rows.size() == 1 ? m_core->busyText(rows.first()) : QString();
    bool left = true;
    if (rows.size() > 1 || !held.isEmpty()) {
        // Several cameras, or one a job holds: no camera's pages, and none fetched.
        left = m_core->leaveCamera();
        if (left) {
            m_core->rowDeselected();
            m_heldMac = held.isEmpty() ? QString() : m_core->macsOfRows(rows).value(0);
            m_noCamera->setText(held.isEmpty() ? m_core->selectionSummary(rows)
                                               : tr("This camera is %1: its pages come back when its part is "
                                                    "done.").arg(held));
        }
    } else {
        m_heldMac.clear();
        m_noCamera->setText(m_noCameraHint);
        if (rows.isEmpty()) {
            left = m_core->leaveCamera();
            if (left)
                m_core->rowDeselected();
        } else if (rows.first() != m_core->selectedRow()) {
            left = m_core->rowSelected(rows.first());
        }
    }
    if (left)
        return;
    // The user stays with the camera whose edits were not saved: its row again.
    const QSignalBlocker block(m_list->selectionModel());
    const int back = m_core->selectedRow();
    if (back >= 0) {
        m_list->selectionModel()->select(m_core->list().index(back, 0),
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_list->setCurrentIndex(m_core->list().index(back, 0));
    } else {
        m_list->selectionModel()->clearSelection();
    }
    m_list->viewport()->update();
}

void TAdminToolDlg::CameraListColumnClick(int column)
{
    m_core->list().sortByColumn(column);
    showSortIndicator();
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
    // The layout file may hold anything: a window larger than the screen (or off it) is
    // brought onto the screen it is shown on before it takes a backing store that size.
    if (const QScreen *screen = this->screen()) {
        const QRect fitted = fitToScreen(geometry(), screen->availableGeometry());
        if (fitted != geometry())
            setGeometry(fitted);
    }
    // The list is what the user works on first; the filter is a Ctrl+F away.
    m_list->setFocus(Qt::OtherFocusReason);
    m_core->l60().DisableL60Category();
    setPageSetsEnabled(false, false);
    placeL60OverFilePages();
    showFamily(Family::L60, nullptr);
}

void TAdminToolDlg::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    QWidget *focus = focusWidget();
    if (key == Qt::Key_Escape && focus == m_filter && !m_filter->text().isEmpty()) {
        m_filter->clear();
        return;
    }
    // Shift+F10 and the Menu key open the context menu where the focus is, as a
    // right-click there would.
    const bool menuKey = key == Qt::Key_Menu || (key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey && focus && !m_popup->isVisible()) {
        for (QWidget *area : {static_cast<QWidget *>(m_list), m_pagesArea}) {
            if (focus == area || area->isAncestorOf(focus)) {
                popupAt(area, area == m_list ? QPoint(-1, -1) : focus->mapTo(area, focus->rect().center()));
                return;
            }
        }
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        auto *button = qobject_cast<QAbstractButton *>(focus);
        if (button && button->isEnabled()
            && (qobject_cast<QPushButton *>(button) || qobject_cast<QToolButton *>(button))) {
            button->click();
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

void TAdminToolDlg::closeEvent(QCloseEvent *event)
{
    // A job's cameras in flight finish first; the window closes when it is over.
    if (!m_core->jobs().mayClose()) {
        event->ignore();
        return;
    }
    // Edits are offered for saving to their camera before the window goes; Cancel
    // keeps the window.
    if (!m_core->leaveCamera()) {
        event->ignore();
        return;
    }
    m_core->removeWorkingFiles();
    m_core->keepListForNextStart();
    saveLayout();
    QMainWindow::closeEvent(event);
}

void TAdminToolDlg::setPageSetsEnabled(bool fileConfigured, bool l60)
{
    m_category->setEnabled(fileConfigured);
    m_fileIndex->setEnabled(fileConfigured);
    m_l60Category->setEnabled(l60);
    m_l60Index->setEnabled(l60);
}

void TAdminToolDlg::showFamily(Family family, TConfigItem *camera)
{
    placeL60OverFilePages();
    // No camera: a hint rather than empty pages, and never the last camera's values.
    const bool l60 = family == Family::L60;
    m_noCamera->setVisible(!camera);
    m_l60Box->setVisible(camera && l60);
    m_fileBox->setVisible(camera && !l60);
}

void TAdminToolDlg::disableSaveRestore()
{
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

void TAdminToolDlg::setSiteActionInputs(SiteActionInputs *inputs)
{
    m_core->jobs().setInputs(inputs ? inputs : m_actionDialogs.get());
}

void TAdminToolDlg::runSiteAction(const QString &name)
{
    SiteJobs &jobs = m_core->jobs();
    if (name == QLatin1String("ApplyPlan1")) {
        jobs.applyPlan();
        return;
    }
    const QList<int> rows = selectedRows();
    const QStringList macs = m_core->macsOfRows(rows);
    if (macs.isEmpty())
        return;
    // The edits of the camera shown are offered for saving before a job takes it.
    if (rows.size() == 1 && !m_core->leaveCamera())
        return;
    if (name == QLatin1String("BackUp1"))
        jobs.backUp(macs);
    else if (name == QLatin1String("RestoreBackup1"))
        jobs.restore(macs);
    else if (name == QLatin1String("UpdateFirmware1"))
        jobs.updateFirmware(macs);
    else if (name == QLatin1String("SetField1"))
        jobs.setField(macs);
}

void TAdminToolDlg::setCredentialPrompt(CredentialPrompt *prompt)
{
    m_core->setCredentialPrompt(prompt ? prompt : m_login);
}

void TAdminToolDlg::setConfirmation(CommandConfirmation *confirmation)
{
    m_core->setConfirmation(confirmation ? confirmation : m_saveConfig);
}

void TAdminToolDlg::buildSiteEvents()
{
    // Site events: a dock of its own over the same network core, hidden until the View
    // menu shows it; an event's double-click selects its camera.
    auto *pane = new SiteEventsPane(m_core->network(), this);
    addDockWidget(Qt::BottomDockWidgetArea, pane);
    pane->hide();
    auto *view = new QMenu(tr("&View"), this);
    view->setObjectName(QStringLiteral("View1"));
    menuBar()->insertMenu(findChild<QMenu *>(QStringLiteral("Help1"))->menuAction(), view);
    QAction *toggle = pane->toggleViewAction();
    toggle->setObjectName(QStringLiteral("ViewSiteEvents"));
    toggle->setText(tr("&Site events"));
    view->addAction(toggle);
    // The jobs pane too, as in the Camera menu.
    view->addAction(m_jobsPane->toggleViewAction());
    connect(pane, &SiteEventsPane::cameraActivated, this, [this](const QString &mac) {
        if (const int row = m_core->list().rowOfMac(mac); row >= 0) {
            m_list->setCurrentIndex(m_core->list().index(row, 0));
            m_list->scrollTo(m_core->list().index(row, 0));
        }
    });
}
