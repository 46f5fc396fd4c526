#pragma once

#include "protocol/selected_row.h"
#include "transfer/transfer_worker.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class ConfigRunner;
class CredentialPrompt;
class FirmwareRunner;
class Messenger;

// What an upload does to the camera's row in the list; the main window's logic
// implements it.
class UpdateRowHost
{
public:
    virtual ~UpdateRowHost() = default;
    virtual void uploadStarted(int record) = 0;   // the upgrading icon
    virtual void uploadFailed(int record) = 0;    // the icon goes
    // The kernel was written: the camera restarts and the poll watches for it.
    virtual void kernelUpdated(int record) = 0;
    // Everything was written: the camera comes back as a new one.
    virtual void allUpdated(int record) = 0;
    virtual void rediscover() = 0;
};

// The Camera Update page of a file-configured camera without its widgets: the firmware
// upload, the web-page pictures and the camera control daemons. The window runs its file
// dialogs and hands the chosen paths in; everything it shows is read back from here
// after changed().
class CameraUpdate final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CameraUpdate)

public:
    enum SubPage { Firmware = 0, Pictures = 1, Daemons = 2 };
    enum Picture { WebLogo = 0, TopImage = 1, BottomImage = 2 };

    explicit CameraUpdate(Messenger &messenger, QObject *parent = nullptr);

    void setSelectionSource(SelectedRowSource source) { m_selection = std::move(source); }
    void setCredentialPrompt(CredentialPrompt *prompt) { m_prompt = prompt; }
    void setConfigRunner(ConfigRunner *runner) { m_config = runner; }
    void setFirmwareRunner(FirmwareRunner *runner) { m_firmware = runner; }
    void setRowHost(UpdateRowHost *host) { m_host = host; }
    void setFtpLimits(const FtpClient::Limits &limits) { m_limits = limits; }

    // Entering the page: the firmware sub-page.
    void enter();
    void pageCameraUpdateChange(int subPage);
    // UpdateAllData (true) or UpdateKernel (false) checked.
    void setUpdateAll(bool on) { m_updateAll = on; }
    // flashFileBrowse confirmed.
    void flashFileChosen(const QString &path);
    // webLogo, TopImage, bottomImage.
    void webLogoClick(Picture picture);
    // imageFileBrowse confirmed.
    void imageFileChosen(const QString &path);
    void btnStartUpdateClick();
    // lstCamModels: the selected entry, -1 for none.
    void lstCamModelsClick(int index);
    // btnAddDaemon after the add dialog: its path, nothing when it was cancelled.
    void btnAddDaemonClick(const std::optional<QString> &path);
    void btnDeleteDaemonClick();

    // The System Info page read a camera's software version: the firmware result names
    // the version the camera had.
    void noteVersion(const QString &mac, const QString &version);
    // What a finished firmware upload tells the user; the version is empty when unknown.
    static QString firmwareDoneText(const QString &camera, bool kernelOnly, const QString &versionBefore);
    // Why a chosen file is not a firmware image, with the size it must have.
    static QString invalidImageText(const QString &path);

    // The add dialog's check of a daemon path: the message when it is refused.
    static std::optional<QString> daemonPathRefusal(const QString &path);
    static QString remotePathOf(Picture picture);
    // The open-file filter of the picture ("Gif Image|*.gif", "JPEG Image|*.jpg").
    static QString filterOf(Picture picture);

    int subPage() const { return m_subPage; }
    bool updateAll() const { return m_updateAll; }
    Picture picture() const { return m_picture; }
    QString flashFileName() const { return m_flashFile; }
    QString imageFileName() const { return m_imageFile; }
    bool startVisible() const { return m_startVisible; }
    bool startEnabled() const { return m_startEnabled; }
    QString startCaption() const;
    QStringList daemons() const { return m_daemons; }
    int selectedDaemon() const { return m_selectedDaemon; }
    bool daemonListEnabled() const { return m_listEnabled; }
    bool addDaemonEnabled() const { return m_addEnabled; }
    bool deleteDaemonEnabled() const { return m_deleteEnabled; }

signals:
    void changed();

private:
    // A selected row with its record, and its credentials (asked for when missing).
    TConfigItem *cameraWithCredentials(bool ftpFields, SelectedRow *sel);
    void startFirmware(const SelectedRow &sel);
    void startPicture(const SelectedRow &sel);
    void forgetCredentials(int record);
    // A daemon run; true when it went through. The shown names follow a run whose
    // listing arrived.
    bool runDaemonSet(const SelectedRow &sel, int set, const QString &input);
    void showNames(const QString &mac);
    FtpConnection connectionOf(const TConfigItem &camera) const;
    SelectedRow selection() const;

    Messenger &m_messenger;
    SelectedRowSource m_selection;
    CredentialPrompt *m_prompt = nullptr;
    ConfigRunner *m_config = nullptr;
    FirmwareRunner *m_firmware = nullptr;
    UpdateRowHost *m_host = nullptr;
    FtpClient::Limits m_limits;

    int m_subPage = Firmware;
    bool m_updateAll = false;
    Picture m_picture = WebLogo;
    QString m_flashFile;
    QHash<QString, QString> m_versions;   // by MAC
    QString m_imageFile;
    bool m_startVisible = true;
    bool m_startEnabled = false;
    QStringList m_daemons;
    int m_selectedDaemon = -1;
    bool m_listEnabled = false;
    bool m_addEnabled = false;
    bool m_deleteEnabled = false;
    // The last listing that arrived, and whose camera it is.
    QStringList m_names;
    QString m_namesMac;
};
