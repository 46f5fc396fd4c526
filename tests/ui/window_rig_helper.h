#pragma once

#include "base/messenger.h"
#include "desktop/ui/main_window.h"
#include "camsim_process.h"
#include "protoconfig/credentials.h"
#include "test_support.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTabWidget>

#include <memory>

// The real main window against a simulated fleet with FTP servers, for the end-to-end
// tests of the file-configured pages: start-up, selecting a camera, the camera's files
// and its FTP log.
class WindowRig
{
public:
    // The login dialog, answered with root and the password set here.
    class Prompt final : public CredentialPrompt
    {
    public:
        std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *ftp) override;
        int calls = 0;
        bool cancel = false;
        QString password = QStringLiteral("pass");
    };

    WindowRig();
    ~WindowRig();

    // A file-configured camera at 127.0.0.<last> with the MAC ending in <last>.
    static QJsonObject fileCamera(const char *id, int last, int model = 0);
    static QString macOf(int last);

    // Starts the fleet and the window, scans and waits until every camera is listed.
    bool start(const QJsonArray &fleet);
    int selectMac(const QString &mac);
    void enterTab(int tab) { window->category()->setCurrentIndex(tab); }
    QByteArray cameraFile(const char *id, const QString &relative);
    QStringList ftpLog(const char *id);
    // Runs the presence poll until the row shows no state icon.
    bool waitPresent(int row, int timeoutMs = 10000);

    template <typename T>
    T *child(const char *name)
    {
        // The pages' own controls, and Save and Restore, which sit beside the page names.
        T *found = window->category()->findChild<T *>(QLatin1String(name));
        return found ? found : window->findChild<T *>(QLatin1String(name));
    }

    std::unique_ptr<TestSupport::AppDir> dir;
    std::unique_ptr<CamSimProcess> sim;
    ScriptedMessenger messenger;
    Prompt prompt;
    std::unique_ptr<TAdminToolDlg> window;
};
