#include "site/camera_backup.h"

#include "fileconfig/config_fields.h"
#include "fileconfig/config_file_set.h"
#include "fileconfig/config_files.h"
#include "fileconfig/file_page_table.h"
#include "fileconfig/page_files.h"
#include "fileconfig/private_folder.h"
#include "fileconfig/system_info_config.h"
#include "protocol/config_item.h"
#include "protocol/datagram.h"
#include "protoconfig/l60_settings.h"
#include "site/camera_record_format.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

bool writeJson(const QString &folder, const QString &name, const QJsonObject &o)
{
    return ConfigFiles::save(folder, name, QJsonDocument(o).toJson(QJsonDocument::Indented));
}

std::optional<QJsonObject> readJson(const QString &folder, const QString &name, QString *error)
{
    QString refusal;
    const auto bytes = ConfigFiles::load(folder, name, &refusal);
    if (!bytes) {
        *error = refusal.isEmpty() ? u"%1 has no %2"_s.arg(QDir::toNativeSeparators(folder), name) : refusal;
        return std::nullopt;
    }
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &e);
    if (!doc.isObject()) {
        *error = u"%1 is not a JSON object"_s.arg(QDir::toNativeSeparators(ConfigFiles::pathOf(folder, name)));
        return std::nullopt;
    }
    return doc.object();
}

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

bool refused(const QString &path, QString *error)
{
    *error = PrivateFolder::refusal(path);
    return !error->isEmpty();
}

// The new backup takes finalPath; the older one steps aside to .old first and goes only
// once the new one took its name. Each name is looked at just before it is moved or
// removed, and the folder that arrives must be the one written.
bool moveIntoPlace(const PrivateFolder &folder, const QString &staging, const QString &finalPath,
                   QString *error)
{
    const QString old = finalPath + u".old"_s;
    if (!PrivateFolder::removeTree(old, error))
        return false;
    if (refused(finalPath, error))
        return false;
    const bool hadOld = PrivateFolder::kindOf(finalPath) == PrivateFolder::Kind::Folder;
    if (hadOld && refused(old, error))
        return false;
    if (hadOld && !QDir().rename(finalPath, old)) {
        *error = u"cannot move the older backup %1 aside"_s.arg(QDir::toNativeSeparators(finalPath));
        return false;
    }
    const bool moved = folder.isAt(staging) && PrivateFolder::kindOf(finalPath) == PrivateFolder::Kind::Missing
                       && QDir().rename(staging, finalPath);
    if (!moved || !folder.isAt(finalPath)) {
        if (hadOld && !moved && PrivateFolder::kindOf(finalPath) == PrivateFolder::Kind::Missing)
            QDir().rename(old, finalPath);
        *error = u"cannot rename %1 to %2"_s.arg(QDir::toNativeSeparators(staging),
                                                  QDir::toNativeSeparators(finalPath));
        return false;
    }
    QString ignored;
    if (hadOld)
        PrivateFolder::removeTree(old, &ignored);
    return true;
}

} // namespace

QString CameraBackup::folderName(const QString &mac)
{
    return Zora::NormalMacText(mac).replace(QLatin1Char(':'), QLatin1Char('-'));
}

QList<int> CameraBackup::setsOf(quint8 modelCode, bool audio)
{
    if (!TConfigItem::isFileConfigured(modelCode))
        return {};
    QList<int> sets;
    for (FileTab tab : PageFiles::FileTabs()) {
        if (audio || !FilePageTable::of(tab)->needsAudio)
            sets << PageFiles::SetOf(tab, modelCode);
    }
    return sets;
}

QJsonObject CameraBackup::settingsOf(const TConfigItem &camera)
{
    QJsonObject o;
    o[u"camera"_s] = CameraRecordFormat::toJson(camera, false);
    o[u"network"_s] = pageObject(L60::NetworkFromRecord(camera));
    o[u"host"_s] = pageObject(L60::HostFromRecord(camera));
    return o;
}

QJsonObject CameraBackup::pageObject(const PageSettings &settings)
{
    QJsonObject o;
    for (const auto &[key, value] : ConfigFields::values(settings)) {
        const auto f = ConfigFields::field(key);
        if (f && f->secret)
            continue;
        o[key.section(QLatin1Char('.'), 1)] = value;
    }
    return o;
}

QJsonObject CameraBackup::manifestOf(const TConfigItem &camera, const QString &folder,
                                     const QList<int> &sets, const QStringList &daemons,
                                     const QDateTime &utc)
{
    QJsonObject o;
    o[u"mac"_s] = camera.macText();
    o[u"model_code"_s] = camera.modelCode();
    o[u"model_name"_s] = camera.modelNameText();
    o[u"address"_s] = camera.Address;
    o[u"host_name"_s] = camera.hostNameText();
    o[u"family"_s] = TConfigItem::isFileConfigured(camera.modelCode()) ? u"file"_s : u"protocol"_s;
    SystemInfoSettings info;
    if (sets.contains(int(ConfigFileSet::SystemInfo))
        && SystemInfoConfig::read(folder, info) == ConfigError::None) {
        o[u"software_version"_s] = PageText::fromBytes(info.softwareVersion);
    } else {
        o[u"software_version"_s] = QJsonValue();
    }
    o[u"time_utc"_s] = utc.toUTC().toString(Qt::ISODate);
    o[u"tool_version"_s] = QStringLiteral(ZORA_VERSION);
    QJsonArray files;
    for (int set : sets) {
        for (const QString &name : ConfigFileSet(set).localNames()) {
            const auto bytes = ConfigFiles::load(folder, name);
            if (!bytes)
                continue;
            QJsonObject f;
            f[u"name"_s] = name;
            f[u"set"_s] = set;
            f[u"size"_s] = qint64(bytes->size());
            f[u"sha256"_s] = sha256(*bytes);
            files.append(f);
        }
    }
    o[u"files"_s] = files;
    o[u"sets"_s] = QJsonArray::fromVariantList([&sets] {
        QVariantList l;
        for (int s : sets)
            l << s;
        return l;
    }());
    o[u"daemons"_s] = QJsonArray::fromStringList(daemons);
    return o;
}

bool CameraBackup::commit(const QString &from, const QList<int> &sets, const QString &staging,
                          const QString &finalPath, const QJsonObject &manifest, const QJsonObject &settings,
                          QString *error)
{
    // Refused before anything is written.
    if (refused(finalPath, error) || refused(finalPath + u".old"_s, error))
        return false;
    PrivateFolder folder;
    if (!folder.create(staging, error))
        return false;
    bool written = true;
    for (int set : sets)
        written = written && PageFiles::CopySet(from, folder.handle(), set);
    written = written && writeJson(folder.handle(), QString::fromLatin1(SettingsName), settings)
              && writeJson(folder.handle(), QString::fromLatin1(ManifestName), manifest);
    if (!written)
        *error = u"cannot write into %1"_s.arg(QDir::toNativeSeparators(staging));
    if (written && moveIntoPlace(folder, staging, finalPath, error))
        return true;
    // Nothing is left that could pass for the camera's backup.
    folder.discard();
    return false;
}

std::optional<CameraBackup::Folder> CameraBackup::load(const QString &path, QString *error)
{
    const auto manifest = readJson(path, QString::fromLatin1(ManifestName), error);
    if (!manifest)
        return std::nullopt;
    const auto settings = readJson(path, QString::fromLatin1(SettingsName), error);
    if (!settings)
        return std::nullopt;
    auto copy = std::make_shared<QTemporaryDir>();
    if (!copy->isValid()) {
        *error = u"cannot make a scratch folder"_s;
        return std::nullopt;
    }
    Folder f;
    f.path = copy->path();
    f.source = path;
    f.copy = copy;
    f.mac = Zora::NormalMacText(manifest->value(u"mac"_s).toString());
    if (f.mac.isEmpty()) {
        *error = u"the manifest of %1 names no MAC"_s.arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    f.modelCode = quint8(manifest->value(u"model_code"_s).toInt());
    f.model = manifest->value(u"model_name"_s).toString();
    f.address = manifest->value(u"address"_s).toString();
    f.host = manifest->value(u"host_name"_s).toString();
    f.softwareVersion = manifest->value(u"software_version"_s).toString();
    f.time = manifest->value(u"time_utc"_s).toString();
    f.fileConfigured = manifest->value(u"family"_s).toString() == u"file"_s;
    for (const QJsonValue &s : manifest->value(u"sets"_s).toArray())
        f.sets << s.toInt();
    for (const QJsonValue &d : manifest->value(u"daemons"_s).toArray())
        f.daemons << d.toString();
    f.settings = *settings;
    for (const QJsonValue &v : manifest->value(u"files"_s).toArray()) {
        const QJsonObject file = v.toObject();
        const QString name = file.value(u"name"_s).toString();
        QString refusal;
        const auto bytes = name.contains(QLatin1Char('/')) ? std::nullopt : ConfigFiles::load(path, name, &refusal);
        if (!bytes) {
            *error = refusal.isEmpty() ? u"%1 lacks %2"_s.arg(QDir::toNativeSeparators(path), name) : refusal;
            return std::nullopt;
        }
        if (sha256(*bytes) != file.value(u"sha256"_s).toString()) {
            *error = u"%1 in %2 does not match its manifest"_s.arg(name, QDir::toNativeSeparators(path));
            return std::nullopt;
        }
        if (!ConfigFiles::save(f.path, name, *bytes)) {
            *error = u"cannot copy %1 into a scratch folder"_s.arg(name);
            return std::nullopt;
        }
    }
    return f;
}
