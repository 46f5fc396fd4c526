#include "app/string_table.h"

#include "app/default_strings.h"
#include "app/profile_file.h"
#include "app/shared_routines.h"

#include <QFile>

#include <memory>

namespace {

std::unique_ptr<TMultiLang> &table()
{
    static std::unique_ptr<TMultiLang> t;
    return t;
}

constexpr QByteArrayView kLanguage = "Language";

} // namespace

TMultiLang::TMultiLang(int first, int count, QString languageFile)
    : m_first(first)
    , m_count(qBound(0, count, kMaxSlots))
    , m_languageFile(std::move(languageFile))
{
    m_slots.resize(m_count);
}

QString TMultiLang::slot(int id) const
{
    const int k = id - m_first;
    return (k >= 0 && k < m_count) ? m_slots.at(k) : QString();
}

void TMultiLang::fill()
{
    // One read of the file, then every id looked up in memory: the file can hold a few
    // hundred keys and start-up should not read it three hundred times.
    QFile file(m_languageFile);
    QByteArray contents;
    if (file.open(QIODevice::ReadOnly))
        contents = file.readAll();
    for (int k = 0; k < m_count; ++k) {
        const QByteArray key = QByteArray::number(m_first + k);
        m_slots[k] = QString::fromUtf8(ProfileFile::lookup(contents, kLanguage, key, {}));
    }
}

void TMultiLang::Load(int first, int count)
{
    bool ok = false;
    const QString dir = ApplicationPath(&ok);
    if (!ok)
        return;
    const ProfileFile manager(dir + QStringLiteral("VXRManager.ini"));
    if (manager.readInt("MultiLang", "EnableMultiLang", 0) == 0) {
        table().reset();
        return;
    }
    table() = std::make_unique<TMultiLang>(first, count, dir + QStringLiteral("VXRLanguage.ini"));
    table()->fill();
}

void TMultiLang::Free()
{
    table().reset();
}

TMultiLang *TMultiLang::current()
{
    return table().get();
}

QString GetString(int id, const QString &fallback)
{
    TMultiLang *t = table().get();
    if (!t)
        return fallback;
    const QString translated = t->slot(id);
    if (!translated.isEmpty())
        return translated;
    if (t->languageFile().size() > 3) {
        ProfileFile(t->languageFile())
            .writeString(kLanguage, QByteArray::number(id), fallback.toUtf8());
    }
    return fallback;
}

QString GetString(int id)
{
    return GetString(id, DefaultString(id));
}
