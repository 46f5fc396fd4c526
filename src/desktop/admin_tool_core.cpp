#include "desktop/admin_tool_core.h"

#include "base/heap_tuning.h"
#include "base/messenger.h"
#include "base/shared_routines.h"
#include "base/string_table.h"
#include "base/zora_ini.h"
#include "desktop/site_jobs.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/file_page_table.h"
#include "protocol/address_review.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protocol/program_random.h"
#include "protoconfig/leave_question.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMap>

AdminToolCore::AdminToolCore(CameraNetwork &network, Messenger &messenger, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_list(network.list())
    , m_registry(network.registry())
    , m_messenger(messenger)
    , m_l60(messenger)
    , m_files(messenger)
    , m_update(messenger)
{
    init();
}

AdminToolCore::AdminToolCore(const AppOptions &options, Messenger &messenger, QObject *parent,
                             const AdapterSource *adapters)
    : QObject(parent)
    , m_ownNetwork(std::make_unique<CameraNetwork>(options, nullptr, adapters))
    , m_network(*m_ownNetwork)
    , m_list(m_network.list())
    , m_registry(m_network.registry())
    , m_messenger(messenger)
    , m_l60(messenger)
    , m_files(messenger)
    , m_update(messenger)
{
    init();
}

AdminToolCore::~AdminToolCore() = default;

void AdminToolCore::init()
{
    m_jobs = std::make_unique<SiteJobs>(m_network, m_messenger);
    m_files.setSelectionSource([this] { return selection(); });
    m_files.setLocalNetwork(&localNetwork());
    m_files.setCameraUpdate(&m_update);
    m_update.setSelectionSource([this] { return selection(); });
    m_update.setRowHost(this);
    connect(&m_files, &FilePages::resetPendingRaised, this, [this] { m_resetPending = true; });
    m_l60.setSelectionSource([this] { return selection(); });
    m_l60.setLocalNetwork(&localNetwork());
    connect(&discovery(), &Discovery::rowAnswered, this, &AdminToolCore::onRowAnswered);
    // A filter's count follows the rows at the next tick: a scan's flood of new rows
    // costs one count, not one each.
    const auto rowsChanged = [this] { m_filterCountDirty = !m_filter.isEmpty(); };
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(&m_list, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(&discovery(), &Discovery::listFull, this, [this](const QString &text) {
        m_listFullNote = text;
        emit scanStatus(scanStatusText());
    });
}

UdpEndpoint &AdminToolCore::endpoint()
{
    return m_network.endpoint();
}

ModelFilterTable &AdminToolCore::models()
{
    return m_network.models();
}

Discovery &AdminToolCore::discovery()
{
    return m_network.discovery();
}

LocalNetworkInfo &AdminToolCore::localNetwork()
{
    return m_network.localNetwork();
}

const AppOptions &AdminToolCore::options() const
{
    return m_network.options();
}

QString AdminToolCore::setUp(qint64 handle)
{
    // Working copies live in temp/; paths are built against it rather than made current,
    // so nothing else in the process depends on the current directory.
    QDir().mkpath(LocalTempFolder());
    // The saved list gets the bound of the replies: a file of a million lines must not
    // stall every start.
    if (m_registry.loadSavedList(CameraListFile(), Discovery::kMaxRows)) {
        m_listFullNote = Discovery::listFullText();
        emit scanStatus(scanStatusText());
    }
    m_savedListRead = true;
    models().reset();

    ZoraIni ini(ApplicationPath());
    ini.ensureExists();
    ini.writeHandle(handle);
    const QList<QString> names = ini.models();
    for (int n = 0; n < names.size(); ++n)
        models().add(names[n] + QStringLiteral(" Model Only"), quint8(n));
    m_appName = ini.appName(true);
    // The user's settings file was left as it was: say which and why.
    if (!ini.problem().isEmpty())
        m_messenger.tell(ini.problem(), GetString(3169, QStringLiteral("Warning")), Messenger::Style::Error);
    return m_appName;
}

QString AdminToolCore::oemIconPath() const
{
    const QString icon = ZoraIni(ApplicationPath()).oemIcon();
    if (icon.isEmpty())
        return {};
    const QString path = ApplicationPath() + icon;
    return QFile::exists(path) ? path : QString();
}

TConfigItem *AdminToolCore::selectedCamera()
{
    return m_registry.recordOfRow(m_selectedRow);
}

PageHost::Family AdminToolCore::familyOf(int row, const TConfigItem &camera) const
{
    if (TConfigItem::isFileConfigured(camera.modelCode()) || m_list.ipShared(row))
        return PageHost::Family::FileConfigured;
    return PageHost::Family::L60;
}

bool AdminToolCore::rowSelected(int row)
{
    if (row < 0 || row >= m_list.count())
        return true;
    if (!leaveCamera())
        return false;
    if (m_list.caption(row).isEmpty()) {
        // A saved row that has not answered: nothing to show, and the pages must not
        // keep showing the camera selected before.
        m_files.clear();
        if (m_pages) {
            m_pages->setPageSetsEnabled(false, false);
            m_pages->showFamily(PageHost::Family::L60, nullptr);
        }
        m_l60.disableNetworkChoices();
        return true;
    }
    // Whatever was not saved is gone with the camera being left.
    m_files.clear();

    m_selectedRow = row;
    TConfigItem *camera = m_registry.recordOfRow(row);
    if (m_pages)
        m_pages->setPageSetsEnabled(true, true);
    m_l60.EnableL60CategoryClick();
    if (!camera) {
        m_files.clear();
        return true;
    }
    // The page the user was on stays for the next camera that has it; a camera that
    // is restarting gets no page that would ask it for its files.
    const int state = m_list.icon(row);
    const bool busy = state == CameraList::Restarting || state == CameraList::Lost
                      || state == CameraList::Upgrading;
    showFamily(familyOf(row, *camera), *camera);
    if (m_shownFamily == PageHost::Family::L60)
        m_l60.L60CategoryChange(m_l60.currentPage());
    else if (busy)
        m_files.enterFirstPage();
    else
        m_files.enterKeptPage();

    if (busy) {
        const QString head = state == CameraList::Upgrading ? GetString(3175) : GetString(3173);
        m_messenger.tell(head + QStringLiteral("\n\n") + GetString(3174));
        if (m_pages)
            m_pages->setPageSetsEnabled(false, false);
    }
    disableSaveRestore();
    m_fileChanged = false;
    m_l60.setChanged(false);
    return true;
}

bool AdminToolCore::leaveCamera()
{
    // Still the camera being left: the save goes to it, and the question names it.
    TConfigItem *camera = selectedCamera();
    if (fileChanged()) {
        const LeaveQuestion::Answer answer = LeaveQuestion::ask(m_messenger, m_files.currentTitle(), camera);
        if (answer == LeaveQuestion::Stay || (answer == LeaveQuestion::Save && !m_files.saveEdits()))
            return false;
        m_fileChanged = false;
        if (m_pages)
            m_pages->disableSaveRestore();
    } else if (m_l60.changed()) {
        const LeaveQuestion::Answer answer =
            LeaveQuestion::ask(m_messenger, L60Pages::pageTitle(m_l60.currentPage()), camera);
        if (answer == LeaveQuestion::Stay || (answer == LeaveQuestion::Save && !m_l60.savePending()))
            return false;
        m_l60.setChanged(false);
        disableSaveRestore();
    }
    return true;
}

void AdminToolCore::rowDeselected()
{
    m_selectedRow = -1;
    m_files.clear();
    m_l60.DisableL60Category();
    if (m_pages) {
        m_pages->setPageSetsEnabled(false, false);
        m_pages->showFamily(PageHost::Family::L60, nullptr);
    }
    disableSaveRestore();
    m_fileChanged = false;
    m_l60.setChanged(false);
    emit selectionCleared();
}

void AdminToolCore::showFamily(PageHost::Family family, TConfigItem &camera)
{
    m_shownFamily = family;
    if (m_pages)
        m_pages->showFamily(family, &camera);
    if (family == PageHost::Family::L60)
        m_l60.FillL60Pages();
}

void AdminToolCore::disableSaveRestore()
{
    m_l60.disableAllButtons();
    if (m_pages) {
        m_pages->setFileSaveButtonsEnabled(false);
        m_pages->disableSaveRestore();
    }
}

SelectedRow AdminToolCore::selection()
{
    SelectedRow s;
    if (m_selectedRow < 0 || m_selectedRow >= m_list.count())
        return s;
    s.camera = m_registry.recordOfRow(m_selectedRow);
    s.record = m_list.row(m_selectedRow).record;
    s.mac = m_list.column(m_selectedRow, CameraList::ColMac);
    s.kind = m_list.column(m_selectedRow, CameraList::ColKind);
    return s;
}

void AdminToolCore::setCredentialPrompt(CredentialPrompt *prompt)
{
    m_l60.setCredentialPrompt(prompt);
    m_files.setCredentialPrompt(prompt);
    m_update.setCredentialPrompt(prompt);
    m_jobs->setCredentialPrompt(prompt);
}

void AdminToolCore::setConfirmation(CommandConfirmation *confirmation)
{
    m_l60.setConfirmation(confirmation);
    m_files.setConfirmation(confirmation);
}

void AdminToolCore::onRowAnswered(int row, bool created)
{
    if (created)
        ++m_rowsSinceHeapReturn;
    m_remarksDirty = true;
    m_answeredSinceTick = true;
    if (const TConfigItem *item = m_registry.recordOfRow(row))
        m_scanSummary.answered(m_list.row(row).mac, item->AdapterIndex);
    if (row >= 0 && row < m_list.count())
        m_list.setSilence(row, {});
    if (row != m_selectedRow)
        return;
    TConfigItem *camera = m_registry.recordOfRow(row);
    if (!camera)
        return;
    const bool l60 = TConfigItem::isProtocolConfigured(camera->modelCode()) || m_list.ipShared(row);
    const auto family = l60 ? PageHost::Family::L60 : PageHost::Family::FileConfigured;
    // The camera is back after a command: the pages that locked on success open again.
    if (m_pages)
        m_pages->setPageSetsEnabled(true, true);
    m_l60.EnableL60CategoryClick();
    showFamily(family, *camera);
    disableSaveRestore();
    m_fileChanged = false;
    m_l60.setChanged(false);
    if (m_resetPending) {
        m_resetPending = false;
        if (camera->modelCode() == 1)
            m_l60.L60CategoryChange(m_l60.currentPage());
        else if (m_pages)
            m_pages->reloadFilePage();
        m_l60.setChanged(false);
    } else if (family == PageHost::Family::FileConfigured) {
        m_files.refreshFromRecord();
    }
    // Edits the file-configured pages kept keep their Save button.
    m_files.ConfigChanged();
}

void AdminToolCore::ZORASetSuccess(int recordIndex)
{
    if (recordIndex < 0)
        return;
    const int row = m_list.rowOfRecord(recordIndex);
    if (row < 0)
        return;
    if (m_list.icon(row) == CameraList::Present)
        m_list.setIcon(row, CameraList::Restarting);
    if (m_pages)
        m_pages->setPageSetsEnabled(false, false);
    m_list.setCounter(row, CameraList::ColCycles, 3);
    m_list.setCounter(row, CameraList::ColCountdown, 120);
    m_list.announceRow(row);
    disableSaveRestore();
    m_l60.setChanged(false);
    m_fileChanged = false;
    m_files.markSaved();
}

void AdminToolCore::ZORAAuthFail(int recordIndex)
{
    if (recordIndex < 0 || recordIndex >= m_registry.recordCount())
        return;
    TConfigItem &camera = m_registry.record(recordIndex);
    camera.AdminId.clear();
    camera.AdminPassword.clear();
    if (m_shownFamily == PageHost::Family::FileConfigured) {
        if (m_pages)
            m_pages->setFileSaveButtonsEnabled(true);
        m_files.offerSaveAgain();
        m_fileChanged = true;
    } else {
        m_l60.setSaveRestoreEnabled(true);
        m_l60.setAccountSaveRestoreEnabled(true);
        m_l60.setChanged(true);
    }
}

void AdminToolCore::uploadStarted(int record)
{
    const int row = m_list.rowOfRecord(record);
    if (row >= 0)
        m_list.setIcon(row, CameraList::Upgrading);
}

void AdminToolCore::uploadFailed(int record)
{
    const int row = m_list.rowOfRecord(record);
    if (row >= 0)
        m_list.setIcon(row, CameraList::Present);
}

void AdminToolCore::kernelUpdated(int record)
{
    const int row = m_list.rowOfRecord(record);
    if (row < 0)
        return;
    discovery().startCountdown(row, CameraList::Updating);
    m_list.announceRow(row);
}

void AdminToolCore::allUpdated(int record)
{
    const int row = m_list.rowOfRecord(record);
    if (row < 0)
        return;
    // The camera comes back with factory settings: it is listed anew when it answers.
    if (row == m_selectedRow)
        rowDeselected();
    else if (row < m_selectedRow)
        --m_selectedRow;
    m_registry.removeRow(row);
}

void AdminToolCore::rediscover()
{
    discovery().scan();
}

bool AdminToolCore::scan()
{
    QString error;
    m_scanSummary.started(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm")));
    emit scanStatus(scanStatusText());
    if (discovery().scan(&error))
        return true;
    m_messenger.tell(error, QStringLiteral("ERROR"), Messenger::Style::Error);
    return false;
}

bool AdminToolCore::refusedForJob()
{
    if (!m_jobs->running())
        return false;
    m_messenger.tell(QStringLiteral("A job is running (%1): the list keeps its cameras until it is over.")
                         .arg(m_jobs->board().what()),
                     QString(), Messenger::Style::Information);
    return true;
}

QStringList AdminToolCore::macsOfRows(const QList<int> &rows)
{
    QStringList macs;
    for (int row : rows) {
        if (const TConfigItem *camera = m_registry.recordOfRow(row))
            macs << camera->macText();
    }
    macs.removeDuplicates();
    return macs;
}

QString AdminToolCore::selectionSummary(const QList<int> &rows)
{
    QMap<QString, int> files, commands;
    int silent = 0;
    for (int row : rows) {
        const TConfigItem *camera = m_registry.recordOfRow(row);
        if (!camera) {
            ++silent;
            continue;
        }
        const QString model = camera->modelNameText();
        ++(familyOf(row, *camera) == PageHost::Family::FileConfigured ? files : commands)[model];
    }
    QStringList parts;
    for (const auto &[family, words] : {std::pair{&files, QStringLiteral("configured by files")},
                                        std::pair{&commands, QStringLiteral("by commands")}}) {
        for (auto it = family->cbegin(); it != family->cend(); ++it)
            parts << QStringLiteral("%1 %2 (%3)").arg(it.value()).arg(it.key(), words);
    }
    if (silent > 0)
        parts << QStringLiteral("%1 not answered since the list was saved").arg(silent);
    return QStringLiteral("%1 cameras selected: %2.\n\nThe Camera menu's actions (Back up, Restore, Update "
                          "firmware, Set a field) go to all of them; select one camera to see its settings.")
        .arg(rows.size())
        .arg(parts.join(QStringLiteral(", ")));
}

QString AdminToolCore::busyText(int row)
{
    const TConfigItem *camera = m_registry.recordOfRow(row);
    return camera ? m_jobs->board().busyText(camera->macText()) : QString();
}

bool AdminToolCore::clearList()
{
    if (refusedForJob())
        return false;
    // The edits are offered to the camera they belong to while it is still listed.
    if (m_selectedRow >= 0 && !leaveCamera())
        return false;
    m_files.clear();
    m_registry.clearList();
    rowDeselected();
    return true;
}

bool AdminToolCore::saveList()
{
    return m_registry.saveList(CameraListFile(), m_messenger);
}

bool AdminToolCore::keepListForNextStart()
{
    // Without it the next start shows an empty list until a scan: the saved rows are
    // what the presence poll looks for.
    // A core that never read the file (no set-up) must not overwrite it with nothing.
    if (!m_savedListRead || m_registry.writeList(CameraListFile()))
        return true;
    m_messenger.tell(GetString(3254), GetString(3184), Messenger::Style::Error);
    return false;
}

void AdminToolCore::modelFilterChanged(int slot)
{
    // The filter drops rows of other models: not while a job holds cameras.
    if (refusedForJob())
        return;
    models().select(slot);
    if (m_selectedRow >= 0)
        rowDeselected();
    m_registry.refilter();
}

QString AdminToolCore::scanStatusText() const
{
    // The note stays next to the counts that the clock keeps rewriting, for as long as
    // the list is full; clearing the list, or rows going, ends it.
    QStringList parts;
    if (!m_scanSummary.text().isEmpty())
        parts << m_scanSummary.text();
    if (!m_listFullNote.isEmpty() && m_list.count() >= Discovery::kMaxRows)
        parts << m_listFullNote;
    if (!m_filter.isEmpty())
        parts << filterNote();
    return parts.join(QStringLiteral(" — "));
}

void AdminToolCore::setListFilter(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == m_filter)
        return;
    m_filter = trimmed;
    m_filterCountDirty = false;
    emit scanStatus(scanStatusText());
}

bool AdminToolCore::rowShown(int row) const
{
    return m_list.rowMatches(row, m_filter);
}

QString AdminToolCore::filterNote() const
{
    if (m_filter.isEmpty())
        return {};
    int shown = 0;
    for (int r = 0; r < m_list.count(); ++r)
        shown += rowShown(r) ? 1 : 0;
    return tr("%1 of %2 shown").arg(shown).arg(m_list.count());
}

QString AdminToolCore::clockText(const QDateTime &now)
{
    static const char *const weekdays[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                           "Friday", "Saturday", "Sunday"};
    static const char *const months[] = {"January", "February", "March", "April", "May",
                                         "June", "July", "August", "September", "October",
                                         "November", "December"};
    const QDate d = now.date();
    const QTime t = now.time();
    return QStringLiteral("%1 %2 %3 %4 %5:%6:%7")
        .arg(QLatin1String(weekdays[d.dayOfWeek() - 1]), QLatin1String(months[d.month() - 1]))
        .arg(d.day())
        .arg(d.year())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

QString AdminToolCore::clockTick(const QDateTime &now)
{
    const QString text = clockText(now);
    emit statusClock(text);
    discovery().pollTick();
    const bool recount = m_filterCountDirty;
    m_filterCountDirty = false;
    if (m_scanSummary.tick() || recount)
        emit scanStatus(scanStatusText());
    // The scan's reply window closed: the rows that kept silent are greyed until they
    // answer again.
    if (m_scanSummary.justClosed()) {
        const QString silence = m_scanSummary.silenceText(); // one string for every row
        for (int r = 0; r < m_list.count(); ++r) {
            if (!m_scanSummary.answeredScan(m_list.row(r).mac))
                m_list.setSilence(r, silence);
        }
    }
    // Every row's remark is worked out again, which a long list pays for with each
    // tick: there it waits for a tick without replies (a flood of them cannot keep the
    // window busy with remarks), and for a few seconds at most.
    if (m_remarksDirty) {
        const bool quiet = !m_answeredSinceTick;
        if (m_list.count() <= kRemarkEagerRows || quiet || ++m_remarkWaitTicks >= kRemarkWaitTicks)
            refreshRemarks();
    }
    // Once a burst that made many rows is over, what it freed goes back to the system.
    if (!m_answeredSinceTick && m_rowsSinceHeapReturn >= kHeapReturnRows) {
        m_rowsSinceHeapReturn = 0;
        ReturnFreedHeap();
    }
    m_answeredSinceTick = false;
    return text;
}

void AdminToolCore::refreshRemarks()
{
    m_remarksDirty = false;
    m_remarkWaitTicks = 0;
    AddressReview::mark(m_registry, m_network.endpoint().adapters());
}

QStringList AdminToolCore::workingFileNames()
{
    // Every local copy a page's file sets make, so that a new page's files go too.
    QStringList names;
    for (const FilePageRow &row : FilePageTable::rows()) {
        for (const int set : {row.set, row.setWithoutMotion}) {
            if (set < 0)
                continue;
            for (const QString &name : ConfigFileSet(set).localNames()) {
                if (!names.contains(name))
                    names << name;
            }
        }
    }
    return names;
}

void AdminToolCore::removeWorkingFiles()
{
    for (const QString &name : workingFileNames())
        QFile::remove(TempFilePath(name));
}
