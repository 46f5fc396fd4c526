// The ini layer: reading any key with a default, updating keys, and zora.ini on top.
//
// Input: section, file contents, then up to 16 key and value pairs, separated by 0x1e
// (a missing key is "APPNAME", a missing value "x"). With the section ZORA the contents
// are also read and written as zora.ini.
//
// Promises checked: a missing key reads as its default; a one-key update changes the
// bytes of one line (or adds lines) and leaves every other line byte for byte; after it
// the key reads as the new value and other keys as before; several keys at once give
// the bytes of one update after another; zora.ini's own writes keep to the same.
#include "fuzz_support.h"

#include "base/profile_file.h"
#include "base/zora_ini.h"
#include "fileconfig/config_files.h"

#include <algorithm>

namespace {

void check(bool ok, const QByteArray &what)
{
    if (!ok)
        Fuzz::fail("profile_file", what);
}

bool plainText(QByteArrayView text)
{
    return !text.contains('\n') && !text.contains('\r');
}

// The names and values whose lines read back as written: no line break, a section
// without ']', a key that is ASCII, not empty, without '=' and not like a header.
bool plainSection(QByteArrayView section)
{
    return plainText(section) && !section.contains(']');
}

bool plainKey(QByteArrayView key)
{
    const QByteArrayView k = key.trimmed();
    return !k.isEmpty() && !k.startsWith('[') && !k.contains('=') && plainText(key)
           && std::all_of(k.begin(), k.end(), [](char c) { return uchar(c) < 0x80; });
}

// A value as a lookup gives it back: trimmed, one pair of enclosing quotes taken off.
QByteArray readBack(QByteArrayView value)
{
    const QByteArrayView v = value.trimmed();
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.sliced(1, v.size() - 2).toByteArray();
    return v.toByteArray();
}

// `after` is `before` with bytes changed or added inside one line (or at a line's end)
// and no line break taken away: every other line keeps its bytes. Returns the added
// bytes.
QByteArray checkOneLineChanged(const QByteArray &before, const QByteArray &after,
                               const QByteArray &context)
{
    const qsizetype n = before.size(), m = after.size();
    qsizetype prefix = 0;
    while (prefix < n && prefix < m && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix
           && before[n - 1 - suffix] == after[m - 1 - suffix])
        ++suffix;
    const QByteArray removed = before.mid(prefix, n - prefix - suffix);
    check(!removed.contains('\n'), "an update touched more than one line (" + context
                                       + "): " + Fuzz::shown(before) + " -> " + Fuzz::shown(after));
    return after.mid(prefix, m - prefix - suffix);
}

void checkZoraIni(const QByteArray &contents)
{
    const QString dir = Fuzz::scratch() + QLatin1Char('/');
    const QString path = dir + QStringLiteral("zora.ini");
    Fuzz::writeFile(path, contents);
    ZoraIni ini(dir);
    const QList<QString> models = ini.models();
    check(models.size() <= ZoraIni::kMaxModelKeys, "too many models");
    for (qsizetype n = 0; n < models.size(); ++n) {
        bool found = false;
        ProfileFile::lookup(contents, "MODELS", QByteArray::number(n), {}, &found);
        check(found, "a model without its key");
    }
    (void)ini.oemIcon();
    (void)ini.oemAppName();
    check(ini.guardAppName().size() >= 3, "short application name");

    const ProfileFile file(path);
    ini.appName(true);
    check(QString::fromUtf8(file.readString("ZORA", "APPNAME")).size() >= 3,
          "short application name after the write back");
    QByteArray now = file.contents().value_or(QByteArray());
    checkOneLineChanged(contents, now, "APPNAME");
    const QByteArray named = now;
    ini.writeHandle(-1234567);
    check(file.readInt("ZORA", "HANDLE", 0) == -1234567, "HANDLE does not read back");
    now = file.contents().value_or(QByteArray());
    checkOneLineChanged(named, now, "HANDLE");
    check(ini.problem().isEmpty(), "a write failed: " + ini.problem().toLocal8Bit());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::start();
    Fuzz::scratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = Fuzz::split(Fuzz::bytesOf(data, size));
    const QByteArray section = parts.value(0);
    const QByteArray contents = parts.value(1);
    ProfileFile::Entries entries;
    // Up to 16 keys: every one costs a pass over the contents for each check.
    for (qsizetype i = 2; (i < parts.size() && entries.size() < 16) || entries.isEmpty(); i += 2)
        entries.append({parts.value(i, "APPNAME"), parts.value(i + 1, "x")});

    for (const auto &[key, value] : entries) {
        bool found = false;
        const QByteArray read = ProfileFile::lookup(contents, section, key, " default ", &found);
        check(found || read == "default", "a missing key does not read as its default");
        check(!read.contains('\n'), "a value across lines");
        (void)ProfileFile::toInt(read);
    }

    // One key.
    const auto &[key, value] = entries.first();
    bool had = false;
    const QByteArray old = ProfileFile::lookup(contents, section, key, {}, &had);
    const QByteArray updated = ProfileFile::update(contents, section, key, value);
    const QByteArray added = checkOneLineChanged(contents, updated, "update");
    if (had)
        check(added.count('\n') <= value.count('\n'), "a replaced key added lines");
    const bool plain = plainSection(section) && plainKey(key) && plainText(value);
    if (plain) {
        bool found = false;
        check(ProfileFile::lookup(updated, section, key, {}, &found) == readBack(value) && found,
              "the key does not read back: " + Fuzz::shown(updated));
        for (qsizetype i = 1; i < entries.size(); ++i) {
            const QByteArray &other = entries[i].first;
            if (other.trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0)
                continue;
            bool before = false, after = false;
            const QByteArray a = ProfileFile::lookup(contents, section, other, {}, &before);
            const QByteArray b = ProfileFile::lookup(updated, section, other, {}, &after);
            check(a == b && before == after, "an update changed another key: " + Fuzz::shown(other));
        }
    }
    // A camera file's update: nothing when the key already says the value, else one line
    // (the key's own, its blanks and quotes kept) that reads as the update's.
    const QByteArray kept = ConfigFiles::setProfileValue(contents, section, key, value);
    if (had && old == value) {
        check(kept == contents, "setProfileValue respelled a line that says the value");
    } else {
        checkOneLineChanged(contents, kept, "setProfileValue");
        if (plain) {
            bool found = false;
            check(ProfileFile::lookup(kept, section, key, {}, &found) == readBack(value) && found,
                  "setProfileValue does not read back: " + Fuzz::shown(kept));
        }
    }

    // Several keys at once.
    QByteArray oneByOne = contents;
    for (const auto &[k, v] : entries)
        oneByOne = ProfileFile::update(oneByOne, section, k, v);
    check(ProfileFile::updateAll(contents, section, entries) == oneByOne,
          "updateAll differs from one update after another");

    // With the section zora.ini's own writes go to, the contents are also that file.
    if (section.compare("ZORA", Qt::CaseInsensitive) == 0)
        checkZoraIni(contents);
    return 0;
}
