#include "transfer/ftp_settings_form.h"

#include "base/check_failure.h"
#include "base/messenger.h"
#include "base/string_table.h"
#include "protocol/config_item.h"

FtpSettingsForm::FtpSettingsForm(Messenger &messenger)
    : m_messenger(messenger)
{
}

std::optional<FtpSettingsForm::Controls> FtpSettingsForm::FormShow()
{
    if (!m_setting) {
        m_messenger.tell(GetString(3277, QStringLiteral("FTP Info is Invalid")));
        return std::nullopt;
    }
    controlChanged();
    return Controls{QString::number(m_setting->port), m_setting->passive,
                    m_setting->transferType != 0};
}

FtpSettingsForm::Verdict FtpSettingsForm::BtnOKClick(const Controls &controls)
{
    // Shown without a setting there is nothing to store into: OK ends like Cancel.
    if (!m_setting)
        return {true, kResultCancel, false};
    if (controls.portText.isEmpty()) {
        m_messenger.tell(GetString(3218, QStringLiteral("FTP Port is required"))
                         + QStringLiteral("\n")
                         + GetString(3278, QStringLiteral("Well known FTP Port is 21")));
        return {false, kResultCancel, true};
    }
    // Any int is taken as typed: cameras listen on whatever port they were given, and the
    // login dialog's port field has no range either. Blanks around the number are
    // accepted there too.
    bool ok = false;
    const int port = controls.portText.trimmed().toInt(&ok, 10);
    if (!ok) {
        m_messenger.tell(ConversionErrorText(controls.portText), {}, Messenger::Style::Error);
        return {false, kResultCancel, true};
    }
    m_setting->port = port;
    m_setting->passive = controls.passive;
    m_setting->transferType = controls.ascii ? 1 : 0;
    return {true, kResultOk, false};
}

bool FtpSettingsForm::offeredFor(const TConfigItem *camera)
{
    // A record that never got a reply reads as model 0 and must not count as one.
    return camera && camera->Header && TConfigItem::isFileConfigured(camera->modelCode());
}

FtpConnectionSetting *FtpSettingsForm::settingOf(TConfigItem &camera, qint32 defaultPort)
{
    // Replies from a listed camera leave its FTP settings alone, so a camera that was
    // model 1 when it was listed and answers as a file-configured model now has none.
    if (!camera.FtpSettings && offeredFor(&camera)) {
        FtpConnectionSetting fresh;
        fresh.port = defaultPort;
        camera.FtpSettings = fresh;
    }
    return camera.FtpSettings ? &*camera.FtpSettings : nullptr;
}
