#pragma once

#include "fileconfig/camera_update.h"
#include "fileconfig/file_pages.h"
#include "protocol/command_result_sink.h"
#include "protocol/scan_summary.h"
#include "protoconfig/l60_pages.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

class AdapterSource;
class CameraList;
class CameraNetwork;
class CameraRegistry;
class CommandConfirmation;
class CredentialPrompt;
class Discovery;
class LocalNetworkInfo;
class Messenger;
class ModelFilterTable;
class SiteJobs;
class UdpEndpoint;
struct AppOptions;
struct TConfigItem;

// What the main window shows of a camera's settings. The window's page sets implement
// it; the selection logic below decides what they do.
class PageHost
{
public:
    enum class Family { FileConfigured, L60 };

    virtual ~PageHost() = default;
    virtual void setPageSetsEnabled(bool fileConfigured, bool l60) = 0;
    // camera: the selected camera, or null when nothing is selected.
    virtual void showFamily(Family family, TConfigItem *camera) = 0;
    virtual void disableSaveRestore() = 0;
    // btnSave, btnRestore, btnAccountSave and btnAccountRestore of the file-configured
    // pages.
    virtual void setFileSaveButtonsEnabled(bool on) = 0;
    // A reset to defaults was confirmed: the current file-configured page fetches again.
    virtual void reloadFilePage() = 0;
};

// The main window's logic without its widgets: start-up, the camera list and its file,
// selection, the clock and the presence poll.
class AdminToolCore final : public QObject, public CommandResultSink, public UpdateRowHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdminToolCore)

public:
    // The window's logic over a network core that someone else holds.
    AdminToolCore(CameraNetwork &network, Messenger &messenger, QObject *parent = nullptr);
    // With a network core of its own; adapters: where the local network information
    // comes from (the system's when null).
    AdminToolCore(const AppOptions &options, Messenger &messenger, QObject *parent = nullptr,
                  const AdapterSource *adapters = nullptr);
    ~AdminToolCore() override;

    // Set-up steps that need no window: temp folder, saved list, model table, zora.ini,
    // handle, models, application name. Returns the caption.
    QString setUp(qint64 handle);
    const QString &appName() const { return m_appName; }
    // The icon named in [OEM] ICON when the file exists, else empty.
    QString oemIconPath() const;

    CameraNetwork &network() { return m_network; }
    UdpEndpoint &endpoint();
    CameraList &list() { return m_list; }
    ModelFilterTable &models();
    CameraRegistry &registry() { return m_registry; }
    Discovery &discovery();
    Messenger &messenger() { return m_messenger; }
    L60Pages &l60() { return m_l60; }
    FilePages &files() { return m_files; }
    CameraUpdate &update() { return m_update; }
    LocalNetworkInfo &localNetwork();
    // The login dialog and the waiting dialog of commands; the window gives its own,
    // tests and tools give scripted ones.
    void setCredentialPrompt(CredentialPrompt *prompt);
    void setConfirmation(CommandConfirmation *confirmation);
    const AppOptions &options() const;

    void setPageHost(PageHost *host) { m_pages = host; }

    // The runs on a selection of cameras (backups, firmware, fields, plans).
    SiteJobs &jobs() { return *m_jobs; }
    // The MACs of rows whose cameras answered, in the rows' order.
    QStringList macsOfRows(const QList<int> &rows);
    // What the pages show in place of one camera's values when several rows are
    // selected: "20 cameras selected: 12 L80 (configured by files), 8 L60 (by commands)".
    QString selectionSummary(const QList<int> &rows);
    // "in a job: firmware update" for a row whose camera a job holds, else empty.
    QString busyText(int row);

    int selectedRow() const { return m_selectedRow; }
    TConfigItem *selectedCamera();
    // The list reports selection and deselection of a row. False when the user chose to
    // stay with the edits of the camera selected before: the list selects it again.
    bool rowSelected(int row);
    void rowDeselected();
    // The user leaves the selected camera (for another, an empty list or a closed
    // window): with edits, the question; Yes saves them to it without a second one.
    // False when the user stays.
    bool leaveCamera();

    // The file-configured pages hold edits (or were given back to the user after a
    // refused command).
    bool fileChanged() const { return m_fileChanged || m_files.changed(); }
    bool l60Changed() const { return m_l60.changed(); }
    void setFileChanged(bool on) { m_fileChanged = on; }
    void setL60Changed(bool on) { m_l60.setChanged(on); }
    bool resetPending() const { return m_resetPending; }
    // Set by the file-configured pages before they send a reset to defaults.
    void setResetPending(bool on) { m_resetPending = on; }
    // Which page set the selected camera shows.
    PageHost::Family shownFamily() const { return m_shownFamily; }

    // CommandResultSink: a command's outcome for the row of a record.
    void ZORASetSuccess(int recordIndex) override;
    void ZORAAuthFail(int recordIndex) override;

    // UpdateRowHost: what a firmware upload does to the camera's row.
    void uploadStarted(int record) override;
    void uploadFailed(int record) override;
    void kernelUpdated(int record) override;
    void allUpdated(int record) override;
    void rediscover() override;

    // Toolbar and menu actions.
    bool scan();
    // False when the user chose to stay with the selected camera's edits.
    bool clearList();
    bool saveList();
    // Window closing: the list written for the next start, without a question.
    bool keepListForNextStart();
    void modelFilterChanged(int slot);

    // ClockTimer: the clock text, then the presence poll.
    QString clockTick(const QDateTime &now);
    static QString clockText(const QDateTime &now);

    // Window closing: the working copies of camera files go.
    void removeWorkingFiles();
    static QStringList workingFileNames();

    const ScanSummary &scanSummary() const { return m_scanSummary; }
    // The list's filter: which rows it leaves, and "3 of 10 shown" beside the scan's
    // counts while it is set, so that a leftover filter never passes for an empty site.
    void setListFilter(const QString &text);
    const QString &listFilter() const { return m_filter; }
    bool rowShown(int row) const;
    QString filterNote() const;
    // The status bar's scan text: the summary, and while the list is full, that it is.
    QString scanStatusText() const;
    // The rows' tooltips and warning marks (adapter, shared addresses) brought up to
    // date; the clock does it when a reply came since (for a long list, on a tick
    // without replies).
    void refreshRemarks();

signals:
    void statusClock(const QString &text);
    // The scan summary changed ("12 cameras answered on 2 adapters"), or the list
    // filled up.
    void scanStatus(const QString &text);
    void selectionCleared();

private:
    void init();
    void onRowAnswered(int row, bool created);
    PageHost::Family familyOf(int row, const TConfigItem &camera) const;
    void showFamily(PageHost::Family family, TConfigItem &camera);
    void disableSaveRestore();
    // The selected row as the pages of both families see it.
    SelectedRow selection();

    // Asked before the list changes under a job: its cameras must stay listed.
    bool refusedForJob();

    std::unique_ptr<CameraNetwork> m_ownNetwork;
    CameraNetwork &m_network;
    CameraList &m_list;
    CameraRegistry &m_registry;
    Messenger &m_messenger;
    PageHost *m_pages = nullptr;
    L60Pages m_l60;
    FilePages m_files;
    CameraUpdate m_update;
    std::unique_ptr<SiteJobs> m_jobs;
    int m_selectedRow = -1;
    ScanSummary m_scanSummary;
    // Said by discovery when a camera could not be listed for the list being full.
    QString m_listFullNote;
    QString m_filter;
    bool m_filterCountDirty = false;
    bool m_remarksDirty = false;
    bool m_answeredSinceTick = false;
    int m_remarkWaitTicks = 0;
    // Up to this many rows the remarks follow every tick that follows a reply; a longer
    // list waits for a quiet tick, or this many ticks.
    static constexpr int kRemarkEagerRows = 4096;
    static constexpr int kRemarkWaitTicks = 10;
    // Rows a burst makes before its end gives the freed heap back.
    int m_rowsSinceHeapReturn = 0;
    static constexpr int kHeapReturnRows = 1024;
    bool m_fileChanged = false;
    bool m_savedListRead = false;
    bool m_resetPending = false;
    PageHost::Family m_shownFamily = PageHost::Family::L60;
    QString m_appName;
};
