#pragma once

#include <QString>

#include <optional>

class Messenger;
struct FtpConnectionSetting;
struct TConfigItem;

// The FTP connection settings dialog's behaviour without its widgets: what the controls
// show, when OK is enabled and what OK stores in the attached setting.
class FtpSettingsForm final
{
public:
    // The dialog's results, numbered like every modal result of the program.
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    // What the controls hold.
    struct Controls {
        QString portText;
        bool passive = true;
        bool ascii = false;      // radioAscii checked; radioBinary otherwise

        bool operator==(const Controls &) const = default;
    };

    // The outcome of OK: close with result, or stay open (with the focus on the port
    // when focusPort).
    struct Verdict {
        bool close = false;
        int result = kResultCancel;
        bool focusPort = false;
    };

    explicit FtpSettingsForm(Messenger &messenger);

    // The setting being edited; none until the opener attaches one. Not owned.
    void attach(FtpConnectionSetting *setting) { m_setting = setting; }
    FtpConnectionSetting *setting() const { return m_setting; }

    // The dialog is showing: the controls' contents from the attached setting (filling
    // them counts as a change), or, without one, "FTP Info is Invalid" and nothing.
    std::optional<Controls> FormShow();
    // The port text, the check box or a radio button changed.
    void controlChanged() { m_okEnabled = true; }
    // OK starts disabled and, once enabled, stays so.
    bool okEnabled() const { return m_okEnabled; }

    // OK pressed with the controls' contents: a refusal shows its message.
    Verdict BtnOKClick(const Controls &controls);

    // Whether the context menu offers the dialog for camera: it has answered and its
    // model is a file-configured one.
    static bool offeredFor(const TConfigItem *camera);
    // The setting the dialog edits for camera, or none (model 1, or never answered).
    // A camera offered the dialog without one gets it with the defaults and defaultPort.
    static FtpConnectionSetting *settingOf(TConfigItem &camera, qint32 defaultPort = 21);

private:
    Messenger &m_messenger;
    FtpConnectionSetting *m_setting = nullptr;
    bool m_okEnabled = false;
};
