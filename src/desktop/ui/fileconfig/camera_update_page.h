#pragma once

#include "desktop/ui/transfer/open_file_dialog.h"

#include <QWidget>

class CameraUpdate;
class Messenger;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TAddCamModelDlg;

// Tab 3 of the file-configured pages: firmware, pictures and control daemons, bound to
// the CameraUpdate logic. The file dialogs run here; their answers go to the logic.
class CameraUpdatePage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CameraUpdatePage)

public:
    CameraUpdatePage(CameraUpdate &flow, Messenger &messenger, QWidget *parent = nullptr);

    // Tests answer the open-file dialogs themselves.
    void setChooser(OpenFileChooser chooser);
    TAddCamModelDlg *addDaemonDialog() { return m_addDialog; }

    void flashFileBrowseClick();
    void imageFileBrowseClick();
    void btnAddDaemonClick();

private:
    QWidget *buildFirmwarePage();
    QWidget *buildImagePage();
    QWidget *buildDaemonPage();
    void refresh();

    CameraUpdate &m_flow;
    Messenger &m_messenger;
    OpenFileChooser m_chooser;
    bool m_refreshing = false;
    QTabWidget *m_pages = nullptr;
    QRadioButton *m_updateKernel = nullptr;
    QRadioButton *m_updateAll = nullptr;
    QLineEdit *m_flashFileName = nullptr;
    QPushButton *m_flashFileBrowse = nullptr;
    QRadioButton *m_webLogo = nullptr;
    QRadioButton *m_topImage = nullptr;
    QRadioButton *m_bottomImage = nullptr;
    QLineEdit *m_imageFileName = nullptr;
    QPushButton *m_imageFileBrowse = nullptr;
    QListWidget *m_lstCamModels = nullptr;
    QPushButton *m_btnAddDaemon = nullptr;
    QPushButton *m_btnDeleteDaemon = nullptr;
    QPushButton *m_btnStartUpdate = nullptr;
    TAddCamModelDlg *m_addDialog = nullptr;
};
