#pragma once

#include "desktop/admin_tool_core.h"

#include <QMainWindow>

#include <memory>

class AdapterSource;
class CommandConfirmation;
class CredentialPrompt;
class FileCategory;
class TFirmwareDlg;
class TGetConfDlg;
class L60Category;
class LocalNetworkGroup;
class PageIndexList;
class QAction;
class QPushButton;
class TFTPSettingDlg;
class TRegCamDlg;
class TSrchRemoteCamDlg;
class TLoginDlg;
class TSaveConfigDlg;
class QComboBox;
class QLabel;
class QLineEdit;
class QSplitter;
class QMenu;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeView;
class QWidget;
class WidgetMessenger;
class BusyLamp;
class JobsPane;
class SiteActionDialogs;
class SiteActionInputs;

// The main window: toolbar, menus, the camera list on the left, the local network
// information and the settings pages on the right, the status bar with clock, socket
// texts and the activity lamp. All behaviour lives in AdminToolCore.
class TAdminToolDlg final : public QMainWindow, public PageHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAdminToolDlg)

public:
    // adapters: where the local network information comes from (the system's when null).
    TAdminToolDlg(const AppOptions &options, Messenger *messenger = nullptr,
                  QWidget *parent = nullptr, const AdapterSource *adapters = nullptr);
    ~TAdminToolDlg() override;

    AdminToolCore &core() { return *m_core; }
    // Set-up after construction: captions, local network, saved list, zora.ini.
    void setUp();

    QTreeView *cameraList() const { return m_list; }
    QTabWidget *category() const;
    QTabWidget *l60Category() const;
    QMenu *popupMenu() const { return m_popup; }
    void bringToFront();

    // The login dialog and the command waiting dialog; null gives back the window's own
    // (TLoginDlg, TSaveConfigDlg). Tests give scripted ones.
    void setCredentialPrompt(CredentialPrompt *prompt);
    void setConfirmation(CommandConfirmation *confirmation);
    TSaveConfigDlg *saveConfigDialog() const { return m_saveConfig; }
    TLoginDlg *loginDialog() const { return m_login; }
    TGetConfDlg *configDialog() const { return m_getConf; }
    TFirmwareDlg *firmwareDialog() const { return m_firmware; }

    // PageHost
    void setPageSetsEnabled(bool fileConfigured, bool l60) override;
    void showFamily(Family family, TConfigItem *camera) override;
    void disableSaveRestore() override;
    void setFileSaveButtonsEnabled(bool on) override;
    void reloadFilePage() override;

    // Timer handlers, also called by tests.
    void ClockTimerTimer();
    // The context menu of the list and the pages: its opening and "&FTP Setting".
    void PoupMenuPopup();
    QMenu *cameraMenu() const { return m_cameraMenu; }
    // The Camera menu's entries follow the selection and the shown page's buttons.
    void CameraMenuPopup();
    void FTPConnectionSetting1Click();
    // Registration by address (Camera > Register Camera..., and the hidden toolbar button)
    // and the search of the selected row's camera (Camera > Search Remote Camera).
    void BtnNewCameraClick();
    void SearchRemoteCamera1Click();
    TRegCamDlg *registerDialog() const { return m_regCam; }
    // File > Export list: the listed cameras as zoractl scan prints them, JSON for a
    // ".json" name and CSV otherwise. False (after the message) when it cannot be written.
    bool exportList(const QString &path);
    void ExportList1Click();
    // A restored window rectangle brought inside the screen's available area.
    static QRect fitToScreen(const QRect &window, const QRect &screen);
    // Help > the meaning of the list's icons and colours.
    void showIconLegend();
    // Window geometry, splitter and columns, in a file of the window's own.
    static QString layoutFile();
    void saveLayout();
    void restoreLayout();
    TSrchRemoteCamDlg *remoteSearchDialog() const { return m_srchRemote; }

    // The selected rows the filter shows, in the list's order.
    QList<int> selectedRows() const;
    JobsPane *jobsPane() const { return m_jobsPane; }
    // What the actions on the selection ask the user; null gives back the window's
    // dialogs. Tests give scripted answers.
    void setSiteActionInputs(SiteActionInputs *inputs);
    // Camera > Back up..., Restore from backup..., Update firmware..., Set a field on
    // all..., Apply site plan...: on the selected cameras (the plan: on its own rows).
    void runSiteAction(const QString &name);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Return and Enter click the focused button, as Space does: the pages are no dialog,
    // so no button is anyone's default. Escape in the filter box clears it.
    void keyPressEvent(QKeyEvent *event) override;
    // A larger font (the desktop's or the application's) widens the clock and the
    // columns that must show whole.
    void changeEvent(QEvent *event) override;

private:
    void buildActions();
    void buildSiteEvents();
    void buildCameraMenu();
    void popupAt(QWidget *widget, const QPoint &pos);
    // The shown page's own Save or Restore button, when the user could click it now.
    QPushButton *pageButton(bool save) const;
    // The row selected in the list (a saved row that never answered included), else the
    // camera the pages show, or -1.
    int listSelectedRow() const;
    void buildLayout();
    void setCaptions();
    void placeL60OverFilePages();
    void CameraListSelectItem();
    void CameraListColumnClick(int column);
    void showSortIndicator();
    // The narrowest width that shows a column's widest value at the list's font.
    int columnFit(int column) const;
    // The clock's room and the columns no narrower than their fit, at today's font.
    void fitToFont();
    void BtnAboutClick();
    // The pages after a change of selection or of a job: one camera's values, a summary
    // of several, or why the one selected cannot be shown now.
    void showSelection(const QList<int> &rows);
    void selectionEnded();

    std::unique_ptr<WidgetMessenger> m_ownMessenger;
    std::unique_ptr<AdminToolCore> m_core;
    QTreeView *m_list = nullptr;
    void applyFilter(int first, int last);

    QWidget *m_pagesArea = nullptr;
    QSplitter *m_splitter = nullptr;
    QLineEdit *m_filter = nullptr;
    QLabel *m_noCamera = nullptr;
    // Its text with no camera selected; a summary or a job's note stands there otherwise.
    QString m_noCameraHint;
    QWidget *m_fileBox = nullptr;
    QWidget *m_l60Box = nullptr;
    PageIndexList *m_fileIndex = nullptr;
    PageIndexList *m_l60Index = nullptr;
    FileCategory *m_category = nullptr;
    L60Category *m_l60Category = nullptr;
    LocalNetworkGroup *m_localGroup = nullptr;
    TLoginDlg *m_login = nullptr;
    TSaveConfigDlg *m_saveConfig = nullptr;
    TGetConfDlg *m_getConf = nullptr;
    TFirmwareDlg *m_firmware = nullptr;
    TFTPSettingDlg *m_ftpSetting = nullptr;   // created on first use
    TRegCamDlg *m_regCam = nullptr;           // created on first use
    TSrchRemoteCamDlg *m_srchRemote = nullptr; // created on first use
    QComboBox *m_modelFilter = nullptr;
    QMenu *m_popup = nullptr;
    QAction *m_popupClear = nullptr;
    QAction *m_popupFtp = nullptr;
    QAction *m_popupSearch = nullptr;
    QMenu *m_cameraMenu = nullptr;
    QAction *m_menuSearch = nullptr;
    QAction *m_menuFtp = nullptr;
    QAction *m_menuSave = nullptr;
    QAction *m_menuRestore = nullptr;
    QLabel *m_clockPanel = nullptr;
    QLabel *m_scanPanel = nullptr;
    QLabel *m_socketPanel = nullptr;
    BusyLamp *m_lamp = nullptr;
    QTimer *m_clockTimer = nullptr;
    QLabel *m_selectionPanel = nullptr;
    JobsPane *m_jobsPane = nullptr;
    std::unique_ptr<SiteActionDialogs> m_actionDialogs;
    QList<QAction *> m_jobActions;        // those that need a selection
    QAction *m_planAction = nullptr;
    QAction *m_popupPlan = nullptr;
    // The camera whose pages wait for its job to end.
    QString m_heldMac;
    bool m_jobsPaneSized = false;
    bool m_shownOnce = false;
};
