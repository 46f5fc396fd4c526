#include "desktop/ui/fileconfig/camera_update_page.h"

#include "base/string_table.h"
#include "desktop/ui/transfer/add_cam_model_dlg.h"
#include "fileconfig/camera_update.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

template <typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QString text(int id, const char *fallback)
{
    return GetString(id, QString::fromLatin1(fallback));
}

// A read-only file name with its browse button, in a titled group.
QGroupBox *fileGroup(QWidget *parent, const QString &title, QLineEdit *edit, QPushButton *browse)
{
    auto *group = new QGroupBox(title, parent);
    edit->setReadOnly(true);
    edit->setBackgroundRole(QPalette::Window);
    auto *row = new QHBoxLayout(group);
    row->addWidget(edit, 1);
    row->addWidget(browse);
    return group;
}

} // namespace

CameraUpdatePage::CameraUpdatePage(CameraUpdate &flow, Messenger &messenger, QWidget *parent)
    : QWidget(parent)
    , m_flow(flow)
    , m_messenger(messenger)
    , m_chooser(RunOpenFileDialog)
{
    setObjectName(QStringLiteral("tabSoftUpdate"));
    m_pages = named(new QTabWidget(this), "pageCameraUpdate");
    m_pages->addTab(buildFirmwarePage(), text(3066, "Firmware Update"));
    m_pages->addTab(buildImagePage(), text(3073, "Image Update"));
    m_pages->addTab(buildDaemonPage(), text(3081, "Camera Control Daemon"));
    m_btnStartUpdate = named(new QPushButton(this), "btnStartUpdate");
    m_addDialog = new TAddCamModelDlg(messenger, this);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnStartUpdate);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_refreshing)
            m_flow.pageCameraUpdateChange(index);
    });
    connect(m_btnStartUpdate, &QPushButton::clicked, &m_flow, &CameraUpdate::btnStartUpdateClick);
    connect(&m_flow, &CameraUpdate::changed, this, &CameraUpdatePage::refresh);
    refresh();
}

void CameraUpdatePage::setChooser(OpenFileChooser chooser)
{
    m_chooser = chooser;
    m_addDialog->setChooser(std::move(chooser));
}

QWidget *CameraUpdatePage::buildFirmwarePage()
{
    auto *page = named(new QWidget, "tabFlashUpdate");
    auto *type = new QGroupBox(text(3067, "Update Type"), page);
    m_updateKernel = named(new QRadioButton(text(3068, "Update Kernel Only"), type), "UpdateKernel");
    m_updateAll = named(new QRadioButton(text(3069, "Update All"), type), "UpdateAllData");
    m_updateKernel->setChecked(true);
    auto *typeLayout = new QVBoxLayout(type);
    typeLayout->addWidget(m_updateKernel);
    typeLayout->addWidget(m_updateAll);
    m_flashFileName = named(new QLineEdit, "flashFileName");
    m_flashFileBrowse = named(new QPushButton(text(3062, "Browse...")), "flashFileBrowse");
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(type);
    layout->addWidget(fileGroup(page, text(3070, "Image File"), m_flashFileName, m_flashFileBrowse));
    layout->addStretch(1);
    connect(m_updateAll, &QRadioButton::toggled, &m_flow, &CameraUpdate::setUpdateAll);
    connect(m_flashFileBrowse, &QPushButton::clicked, this, &CameraUpdatePage::flashFileBrowseClick);
    return page;
}

QWidget *CameraUpdatePage::buildImagePage()
{
    auto *page = named(new QWidget, "tabImageUpdate");
    auto *group = named(new QGroupBox(text(3074, "Image Type"), page), "RadioGroup2");
    m_webLogo = named(new QRadioButton(text(3075, "Web page Logo Image"), group), "webLogo");
    m_topImage = named(new QRadioButton(text(3076, "Active X Top Image"), group), "TopImage");
    m_bottomImage = named(new QRadioButton(text(3077, "Active X Bottom Image"), group), "bottomImage");
    m_webLogo->setChecked(true);
    auto *groupLayout = new QVBoxLayout(group);
    const std::pair<QRadioButton *, CameraUpdate::Picture> radios[] = {
        {m_webLogo, CameraUpdate::WebLogo},
        {m_topImage, CameraUpdate::TopImage},
        {m_bottomImage, CameraUpdate::BottomImage}};
    for (const auto &[radio, picture] : radios) {
        groupLayout->addWidget(radio);
        connect(radio, &QRadioButton::clicked, &m_flow, [this, picture = picture] {
            m_flow.webLogoClick(picture);
        });
    }
    m_imageFileName = named(new QLineEdit, "imageFileName");
    m_imageFileBrowse = named(new QPushButton(text(3062, "Browse...")), "imageFileBrowse");
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addWidget(fileGroup(page, text(3078, "Picture File"), m_imageFileName, m_imageFileBrowse));
    layout->addStretch(1);
    connect(m_imageFileBrowse, &QPushButton::clicked, this, &CameraUpdatePage::imageFileBrowseClick);
    return page;
}

QWidget *CameraUpdatePage::buildDaemonPage()
{
    auto *page = named(new QWidget, "tabDaemon");
    auto *label = named(new QLabel(text(3079, "Currently Installed Camera Control Daemons"), page), "Label28");
    m_lstCamModels = named(new QListWidget(page), "lstCamModels");
    m_btnAddDaemon = named(new QPushButton(text(3080, "Add Daemon..."), page), "btnAddDaemon");
    m_btnDeleteDaemon = named(new QPushButton(text(3082, "Delete"), page), "btnDeleteDaemon");
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_btnAddDaemon);
    buttons->addWidget(m_btnDeleteDaemon);
    buttons->addStretch(1);
    auto *row = new QHBoxLayout;
    row->addWidget(m_lstCamModels, 1);
    row->addLayout(buttons);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(label);
    layout->addLayout(row);
    connect(m_lstCamModels, &QListWidget::currentRowChanged, this, [this](int index) {
        if (!m_refreshing)
            m_flow.lstCamModelsClick(index);
    });
    connect(m_btnAddDaemon, &QPushButton::clicked, this, &CameraUpdatePage::btnAddDaemonClick);
    connect(m_btnDeleteDaemon, &QPushButton::clicked, &m_flow, &CameraUpdate::btnDeleteDaemonClick);
    return page;
}

void CameraUpdatePage::flashFileBrowseClick()
{
    const QString path = m_chooser(this, QString(), QStringLiteral("All Files|*.*"), QStringLiteral("fimage"));
    if (!path.isEmpty())
        m_flow.flashFileChosen(path);
}

void CameraUpdatePage::imageFileBrowseClick()
{
    m_flow.webLogoClick(m_flow.picture());
    const QString path = m_chooser(this, QString(), CameraUpdate::filterOf(m_flow.picture()), QString());
    if (!path.isEmpty())
        m_flow.imageFileChosen(path);
}

void CameraUpdatePage::btnAddDaemonClick()
{
    m_flow.btnAddDaemonClick(m_addDialog->choose());
}

void CameraUpdatePage::refresh()
{
    m_refreshing = true;
    const QSignalBlocker block(m_pages);
    m_pages->setCurrentIndex(m_flow.subPage());
    m_flashFileName->setText(m_flow.flashFileName());
    m_imageFileName->setText(m_flow.imageFileName());
    m_btnStartUpdate->setVisible(m_flow.startVisible());
    m_btnStartUpdate->setEnabled(m_flow.startEnabled());
    m_btnStartUpdate->setText(m_flow.startCaption());
    const QStringList names = m_flow.daemons();
    QStringList shown;
    for (int i = 0; i < m_lstCamModels->count(); ++i)
        shown.append(m_lstCamModels->item(i)->text());
    if (shown != names) {
        m_lstCamModels->clear();
        m_lstCamModels->addItems(names);
    }
    m_lstCamModels->setCurrentRow(m_flow.selectedDaemon());
    m_lstCamModels->setEnabled(m_flow.daemonListEnabled());
    m_btnAddDaemon->setEnabled(m_flow.addDaemonEnabled());
    m_btnDeleteDaemon->setEnabled(m_flow.deleteDaemonEnabled());
    m_refreshing = false;
}
