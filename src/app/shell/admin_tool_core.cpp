#include "app/shell/admin_tool_core.h"

#include "app/messenger.h"
#include "app/shared_routines.h"
#include "app/string_table.h"
#include "app/zora_ini.h"
#include "protocol/config_item.h"

#include <QDir>
#include <QFile>
#include <QLocale>

AdminToolCore::AdminToolCore(const AppOptions &options, Messenger &messenger, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_messenger(messenger)
    , m_registry(m_list, m_models)
    , m_discovery(m_endpoint, m_registry)
{
    m_endpoint.setLocalPort(options.localPort);
    m_endpoint.setCameraPort(options.cameraPort);
    m_endpoint.setBroadcastAddress(options.broadcast);
    m_discovery.setDefaultFtpPort(options.ftpPort);
    m_discovery.attach();
    connect(&m_discovery, &Discovery::rowAnswered, this, &AdminToolCore::onRowAnswered);
}

QString AdminToolCore::setUp(qint64 handle)
{
    // Working copies live in temp/; paths are built against it rather than made current,
    // so nothing else in the process depends on the current directory.
    QDir().mkpath(LocalTempFolder());
    m_registry.loadSavedList(TempFilePath(QStringLiteral("CameraList.cfg")));
    m_models.reset();

    ZoraIni ini(ApplicationPath());
    ini.ensureExists();
    ini.writeHandle(handle);
    const QList<QString> names = ini.models();
    for (int n = 0; n < names.size(); ++n)
        m_models.add(names[n] + QStringLiteral(" Model Only"), quint8(n));
    m_appName = ini.appName(true);
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

void AdminToolCore::rowSelected(int row)
{
    if (row < 0 || row >= m_list.count())
        return;
    if (m_list.caption(row).isEmpty()) {
        if (m_pages) {
            m_pages->setPageSetsEnabled(false, false);
            m_pages->enableL60Choices(nullptr);
        }
        return;
    }
    const QString question = GetString(3171) + QStringLiteral("\n\n") + GetString(3172);
    if (m_fileChanged) {
        if (m_messenger.ask(question, GetString(3169, QStringLiteral("Warning"))) && m_pages)
            m_pages->savePending(PageHost::Family::FileConfigured);
        m_fileChanged = false;
        if (m_pages)
            m_pages->disableSaveRestore();
    } else if (m_l60Changed) {
        if (m_messenger.ask(question, GetString(3169, QStringLiteral("Warning"))) && m_pages)
            m_pages->savePending(PageHost::Family::L60);
        m_l60Changed = false;
        if (m_pages)
            m_pages->disableSaveRestore();
    }

    m_selectedRow = row;
    TConfigItem *camera = m_registry.recordOfRow(row);
    if (m_pages) {
        m_pages->setPageSetsEnabled(true, true);
        m_pages->enableL60Choices(camera);
        m_pages->showFirstPages();
    }
    if (!camera)
        return;
    if (m_pages)
        m_pages->showFamily(familyOf(row, *camera), *camera);

    const int state = m_list.icon(row);
    if (state == CameraList::Restarting || state == CameraList::Lost
        || state == CameraList::Upgrading) {
        const QString head = state == CameraList::Upgrading ? GetString(3175) : GetString(3173);
        m_messenger.tell(head + QStringLiteral("\n\n") + GetString(3174));
        if (m_pages)
            m_pages->setPageSetsEnabled(false, false);
    }
    if (m_pages)
        m_pages->disableSaveRestore();
    m_fileChanged = m_l60Changed = false;
}

void AdminToolCore::rowDeselected()
{
    m_selectedRow = -1;
    if (m_pages) {
        m_pages->resetL60Pages();
        m_pages->setPageSetsEnabled(false, false);
        m_pages->disableSaveRestore();
    }
    m_fileChanged = m_l60Changed = false;
    emit selectionCleared();
}

void AdminToolCore::onRowAnswered(int row, bool created)
{
    Q_UNUSED(created);
    if (row != m_selectedRow || !m_pages)
        return;
    TConfigItem *camera = m_registry.recordOfRow(row);
    if (!camera)
        return;
    const auto family = TConfigItem::isProtocolConfigured(camera->modelCode())
                            ? PageHost::Family::L60
                            : PageHost::Family::FileConfigured;
    m_pages->showFamily(family, *camera);
    m_pages->disableSaveRestore();
    m_fileChanged = m_l60Changed = false;
}

bool AdminToolCore::scan()
{
    QString error;
    if (m_discovery.scan(&error))
        return true;
    m_messenger.tell(error, QStringLiteral("ERROR"), Messenger::Style::Error);
    return false;
}

void AdminToolCore::clearList()
{
    m_registry.clearList();
    if (m_selectedRow >= 0)
        rowDeselected();
}

bool AdminToolCore::saveList()
{
    return m_registry.saveList(TempFilePath(QStringLiteral("CameraList.cfg")), m_messenger);
}

void AdminToolCore::modelFilterChanged(int slot)
{
    m_models.select(slot);
    if (m_selectedRow >= 0)
        rowDeselected();
    m_registry.refilter();
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
    m_discovery.pollTick();
    return text;
}

QStringList AdminToolCore::workingFileNames()
{
    return {QStringLiteral("ddns.conf"), QStringLiteral("thttpd.conf"),
            QStringLiteral("title.js"), QStringLiteral("dio_input.conf"),
            QStringLiteral("hw_motion.conf"), QStringLiteral("periodic_timer.conf"),
            QStringLiteral("udp_server.conf"), QStringLiteral("tcp_server.conf"),
            QStringLiteral("rc.server"), QStringLiteral("middle.conf"),
            QStringLiteral("control.conf"), QStringLiteral("rc.iptables"),
            QStringLiteral("general.conf"), QStringLiteral("audio.conf")};
}

void AdminToolCore::removeWorkingFiles()
{
    for (const QString &name : workingFileNames())
        QFile::remove(TempFilePath(name));
}
