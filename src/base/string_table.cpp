#include "base/string_table.h"

#include "base/default_strings.h"
#include "base/profile_file.h"
#include "base/shared_routines.h"

#include <QCoreApplication>

#include <algorithm>
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

TMultiLang::~TMultiLang()
{
    writeMissing();
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
    const QByteArray contents = ProfileFile(m_languageFile).contents().value_or(QByteArray());
    for (int k = 0; k < m_count; ++k) {
        const QByteArray key = QByteArray::number(m_first + k);
        m_slots[k] = QString::fromUtf8(ProfileFile::lookup(contents, kLanguage, key, {}));
    }
}

void TMultiLang::addMissing(int id, const QByteArray &text)
{
    // A text asked for again only changes its value: the same bytes as a second write
    // of the key, which replaces the line the first one added.
    const QByteArray key = QByteArray::number(id);
    auto it = std::find_if(m_missing.begin(), m_missing.end(),
                           [&key](const auto &entry) { return entry.first == key; });
    if (it != m_missing.end())
        it->second = text;
    else
        m_missing.append({key, text});
    if (m_writeQueued)
        return;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app) {
        writeMissing();
        return;
    }
    m_writeQueued = true;
    // The table may be gone or replaced by then: the call goes to the one current.
    QMetaObject::invokeMethod(
        app,
        [] {
            if (TMultiLang *t = current())
                t->writeMissing();
        },
        Qt::QueuedConnection);
}

void TMultiLang::writeMissing()
{
    m_writeQueued = false;
    if (m_missing.isEmpty())
        return;
    ProfileFile file(m_languageFile);
    const bool written = file.writeStrings(kLanguage, m_missing);
    m_missing.clear();
    if (written) {
        ++m_fileWrites;
    } else if (!m_reported) {
        m_reported = true;
        qWarning("%s", qUtf8Printable(file.errorString()));
    }
}

void TMultiLang::Load(int first, int count)
{
    bool ok = false;
    const QString dir = ApplicationPath(&ok);
    if (!ok)
        return;
    Free();
    const ProfileFile manager(dir + QStringLiteral("VXRManager.ini"));
    if (manager.readInt("MultiLang", "EnableMultiLang", 0) == 0)
        return;
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
    if (t->languageFile().size() > 3)
        t->addMissing(id, fallback.toUtf8());
    return fallback;
}

QString GetString(int id)
{
    return GetString(id, DefaultString(id));
}
