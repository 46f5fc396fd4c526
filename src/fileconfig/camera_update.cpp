#include "fileconfig/camera_update.h"

#include "base/messenger.h"
#include "base/string_table.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/config_runner.h"
#include "fileconfig/config_transfer.h"
#include "fileconfig/filter_directory_listing.h"
#include "protocol/config_item.h"
#include "protoconfig/credentials.h"
#include "transfer/firmware_runner.h"
#include "transfer/flash_job.h"
#include "transfer/ftp_settings_form.h"

#include <QFileInfo>
#include <QLocale>

namespace {

QString warningCaption()
{
    return GetString(3169, QStringLiteral("WARNING"));
}

QString fileNameRequired()
{
    return GetString(3241, QStringLiteral("File Name is required"));
}

} // namespace

CameraUpdate::CameraUpdate(Messenger &messenger, QObject *parent)
    : QObject(parent)
    , m_messenger(messenger)
{
}

SelectedRow CameraUpdate::selection() const
{
    return m_selection ? m_selection() : SelectedRow();
}

QString CameraUpdate::startCaption() const
{
    return m_subPage == Pictures ? GetString(3072, QStringLiteral("Picture File Upload"))
                                 : GetString(3071, QStringLiteral("Firmware Upload"));
}

QString CameraUpdate::remotePathOf(Picture picture)
{
    switch (picture) {
    case TopImage:
        return QStringLiteral("/etc/html/a_top.jpg");
    case BottomImage:
        return QStringLiteral("/etc/html/a_bottom.jpg");
    case WebLogo:
        break;
    }
    return QStringLiteral("/etc/html/logo.gif");
}

QString CameraUpdate::filterOf(Picture picture)
{
    return picture == WebLogo ? QStringLiteral("Gif Image|*.gif") : QStringLiteral("JPEG Image|*.jpg");
}

std::optional<QString> CameraUpdate::daemonPathRefusal(const QString &path)
{
    // A control character would reach the camera inside an FTP command line.
    bool control = false;
    for (QChar c : path)
        control = control || c.unicode() < 0x20 || c.unicode() == 0x7F;
    if (path.size() < 4 || control)
        return GetString(3295, QStringLiteral("Invalid File Name..."));
    return std::nullopt;
}

void CameraUpdate::enter()
{
    m_subPage = Firmware;
    pageCameraUpdateChange(Firmware);
}

void CameraUpdate::pageCameraUpdateChange(int subPage)
{
    m_subPage = qBound(0, subPage, 2);
    // The firmware image stays chosen from camera to camera (a site gets one image on
    // every camera); it is checked again at each start.
    m_startEnabled = m_subPage == Firmware && !m_flashFile.isEmpty();
    m_imageFile.clear();
    if (m_subPage != Daemons) {
        m_startVisible = true;
        emit changed();
        return;
    }
    m_addEnabled = false;
    m_deleteEnabled = false;
    m_listEnabled = false;
    m_startVisible = false;
    emit changed();

    SelectedRow sel;
    TConfigItem *camera = cameraWithCredentials(true, &sel);
    if (!camera)
        return;
    runDaemonSet(sel, ConfigFileSet::DaemonListing, QString());
    showNames(sel.mac);
    m_addEnabled = true;
    m_listEnabled = true;
    emit changed();
}

TConfigItem *CameraUpdate::cameraWithCredentials(bool ftpFields, SelectedRow *sel)
{
    *sel = selection();
    TConfigItem *camera = sel->camera;
    if (!camera)
        return nullptr;
    FtpConnectionSetting *ftp = ftpFields ? FtpSettingsForm::settingOf(*camera) : nullptr;
    if (!m_prompt || !RequireCredentials(*camera, *m_prompt, ftp, &m_messenger))
        return nullptr;
    return camera;
}

FtpConnection CameraUpdate::connectionOf(const TConfigItem &camera) const
{
    FtpConnection c = FtpConnection::forCamera(camera);
    c.limits = m_limits;
    return c;
}

void CameraUpdate::flashFileChosen(const QString &path)
{
    m_flashFile = path;
    m_startEnabled = true;
    emit changed();
}

void CameraUpdate::webLogoClick(Picture picture)
{
    m_picture = picture;
    m_imageFile.clear();
    emit changed();
}

void CameraUpdate::imageFileChosen(const QString &path)
{
    m_imageFile = path;
    m_startEnabled = true;
    emit changed();
}

void CameraUpdate::btnStartUpdateClick()
{
    if (m_subPage == Daemons)
        return;
    // A selected row with its record; the credentials are asked for when one is missing.
    SelectedRow sel = selection();
    if (!sel.camera)
        return;
    if ((sel.camera->AdminId.isEmpty() || sel.camera->AdminPassword.isEmpty())
        && !cameraWithCredentials(true, &sel))
        return;
    if (m_subPage == Pictures)
        startPicture(sel);
    else
        startFirmware(sel);
}

void CameraUpdate::forgetCredentials(int record)
{
    // The run may have changed the list: the record is looked up again.
    const SelectedRow now = selection();
    if (now.camera && now.record == record) {
        now.camera->AdminId.clear();
        now.camera->AdminPassword.clear();
    }
}

void CameraUpdate::startFirmware(const SelectedRow &sel)
{
    TConfigItem &camera = *sel.camera;
    if (!m_messenger.askDestructive(GetString(3240, QStringLiteral("This work will cause the camera to work improperly"))
                             + QStringLiteral("\n\n") + GetString(3168, QStringLiteral("Are you sure?")),
                         warningCaption()))
        return;
    if (m_flashFile.isEmpty()) {
        m_messenger.tell(fileNameRequired(), warningCaption(), Messenger::Style::Error);
        return;
    }
    if (!FlashImageValid(m_flashFile)) {
        m_messenger.tell(invalidImageText(m_flashFile), warningCaption(), Messenger::Style::Error);
        return;
    }
    if (!m_firmware)
        return;
    const int record = sel.record;
    if (m_host)
        m_host->uploadStarted(record);
    const bool kernelOnly = !m_updateAll;
    const FlashJob job = FlashJob::firmwareImage(connectionOf(camera), m_flashFile, kernelOnly);
    const int result = m_firmware->run(job, kernelOnly ? FirmwareUploadSession::KernelOnly
                                                       : FirmwareUploadSession::UpdateAll);
    switch (result) {
    case FirmwareUploadSession::Done:
    {
        // Named before the row changes: a full update removes the row and zeroes its record.
        const QString name = camera.hostNameText().isEmpty() ? sel.mac
                                                             : camera.hostNameText() + QStringLiteral(" (") + sel.mac + QLatin1Char(')');
        const QString before = m_versions.value(sel.mac);
        if (kernelOnly) {
            if (m_host)
                m_host->kernelUpdated(record);
        } else if (m_host) {
            m_host->allUpdated(record);
        }
        if (m_host)
            m_host->rediscover();
        m_messenger.tell(firmwareDoneText(name, kernelOnly, before),
                         GetString(3272, QStringLiteral("Firmware Update")), Messenger::Style::Information);
        break;
    }
    case FirmwareUploadSession::Failed:
        if (m_host)
            m_host->uploadFailed(record);
        forgetCredentials(record);
        break;
    case FirmwareUploadSession::StoreFailed:
        // The login was good: only the upload has to be tried again.
        if (m_host)
            m_host->uploadFailed(record);
        break;
    default:
        break;
    }
    emit changed();
}

void CameraUpdate::noteVersion(const QString &mac, const QString &version)
{
    if (!mac.isEmpty())
        m_versions.insert(mac, version);
}

QString CameraUpdate::firmwareDoneText(const QString &camera, bool kernelOnly, const QString &versionBefore)
{
    QString text = kernelOnly ? QStringLiteral("The new kernel was written to %1.").arg(camera)
                              : QStringLiteral("The new firmware was written to %1.").arg(camera);
    if (!versionBefore.isEmpty())
        text += QStringLiteral("\nSoftware version before the update: %1.").arg(versionBefore);
    text += kernelOnly ? QStringLiteral("\n\nThe camera restarts; its row shows it again when it answers.")
                       : QStringLiteral("\n\nThe camera restarts and is listed anew when it answers.");
    text += QStringLiteral(" The System Info page then shows the version it runs.");
    return text;
}

QString CameraUpdate::invalidImageText(const QString &path)
{
    const QFileInfo file(path);
    const QLocale numbers(QLocale::English, QLocale::UnitedStates);
    const QString must = QStringLiteral("A firmware image has exactly %1 bytes").arg(numbers.toString(kFlashImageSize));
    const QString has = !file.exists() ? QStringLiteral("this file is not there any more.")
                        : !file.isFile() || !file.isReadable() ? QStringLiteral("this file cannot be read.")
                                                               : QStringLiteral("this file has %1.").arg(numbers.toString(file.size()));
    return GetString(3242, QStringLiteral("Invalid Flash Image File")) + QStringLiteral("\n\n") + must
           + QStringLiteral("; ") + has;
}

void CameraUpdate::startPicture(const SelectedRow &sel)
{
    TConfigItem &camera = *sel.camera;
    if (m_imageFile.isEmpty()) {
        m_messenger.tell(fileNameRequired(), warningCaption(), Messenger::Style::Error);
        return;
    }
    if (!m_firmware)
        return;
    const int record = sel.record;
    const FlashJob job = FlashJob::picture(connectionOf(camera), m_imageFile,
                                           remotePathOf(m_picture));
    const int result = m_firmware->run(job, FirmwareUploadSession::Picture);
    if (result != FirmwareUploadSession::Failed) {
        m_startEnabled = false;
        emit changed();
        return;
    }
    forgetCredentials(record);
    m_messenger.tell(GetString(3243, QStringLiteral("Admin Authentication Failed")) + QStringLiteral("\n\n")
                         + GetString(3244, QStringLiteral("Check ID, Password and FTP Port Number")),
                     warningCaption(), Messenger::Style::Error);
    emit changed();
}

bool CameraUpdate::runDaemonSet(const SelectedRow &sel, int set, const QString &input)
{
    if (!m_config)
        return false;
    ConfigTransfer transfer = ConfigTransfer::forCamera(
        *sel.camera, sel.record, sel.kind, set,
        set == ConfigFileSet::DaemonAdd      ? TransferMode::Upload
        : set == ConfigFileSet::DaemonDelete ? TransferMode::Delete
                                             : TransferMode::Download);
    // Nothing is applied after a daemon run: no camera to answer.
    transfer.camera = nullptr;
    transfer.daemon = input;
    const bool ok = m_config->run(transfer) == ConfigRunner::Ok;
    // The listing is the run's last step: a run that went through brought one.
    if (ok) {
        m_names = FilterDirectoryListing(m_config->listing());
        m_namesMac = sel.mac;
    }
    return ok;
}

void CameraUpdate::showNames(const QString &mac)
{
    // The last listing that arrived, when it was this camera's; another camera's
    // daemons are never shown as this one's.
    m_daemons = mac == m_namesMac ? m_names : QStringList();
    m_selectedDaemon = -1;
    m_deleteEnabled = false;
}

void CameraUpdate::lstCamModelsClick(int index)
{
    m_selectedDaemon = index >= 0 && index < m_daemons.size() ? index : -1;
    m_deleteEnabled = m_selectedDaemon >= 0;
    emit changed();
}

void CameraUpdate::btnAddDaemonClick(const std::optional<QString> &path)
{
    if (!path)
        return;
    if (const auto refusal = daemonPathRefusal(*path)) {
        m_messenger.tell(*refusal, warningCaption(), Messenger::Style::Error);
        return;
    }
    SelectedRow sel;
    if (!cameraWithCredentials(false, &sel))
        return;
    runDaemonSet(sel, ConfigFileSet::DaemonAdd, *path);
    showNames(sel.mac);
    emit changed();
}

void CameraUpdate::btnDeleteDaemonClick()
{
    if (m_selectedDaemon < 0 || m_selectedDaemon >= m_daemons.size())
        return;
    if (!m_messenger.askDestructive(GetString(3168, QStringLiteral("Are you Sure?")),
                                    GetString(3252, QStringLiteral("Confirm"))))
        return;
    SelectedRow sel;
    if (!cameraWithCredentials(false, &sel))
        return;
    const QString remote = QLatin1String(ConfigFileSet::kDaemonFolder) + m_daemons.at(m_selectedDaemon);
    if (!runDaemonSet(sel, ConfigFileSet::DaemonDelete, remote))
        return;
    showNames(sel.mac);
    emit changed();
}
