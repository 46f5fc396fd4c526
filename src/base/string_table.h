#pragma once

#include "base/profile_file.h"

#include <QString>
#include <QStringList>

// The UI string table: every text the program shows is looked up by id, so that a
// translation in VXRLanguage.ini can replace it. Translation is on only when
// VXRManager.ini says [MultiLang] EnableMultiLang to a nonzero value.
class TMultiLang final
{
    Q_DISABLE_COPY_MOVE(TMultiLang)

public:
    static constexpr int kMaxSlots = 501;

    TMultiLang(int first, int count, QString languageFile);
    // Writes the missing texts still kept.
    ~TMultiLang();

    int first() const { return m_first; }
    int count() const { return m_count; }
    const QString &languageFile() const { return m_languageFile; }
    QString slot(int id) const;
    void fill();

    // A text the language file lacks, kept for the next writeMissing(): the texts asked
    // for before the event loop's next idle moment go into the file in one rewrite, with
    // the same bytes as writing them one by one.
    void addMissing(int id, const QByteArray &text);
    void writeMissing();
    // Rewrites of the language file so far.
    int fileWrites() const { return m_fileWrites; }

    // Loads the program-wide table from the application directory; discards it when
    // translation is off.
    static void Load(int first, int count);
    static void Free();
    static TMultiLang *current();

private:
    int m_first;
    int m_count;
    QString m_languageFile;
    QStringList m_slots;
    ProfileFile::Entries m_missing;
    bool m_writeQueued = false;
    bool m_reported = false;
    int m_fileWrites = 0;
};

// The text of id: its translation when there is one, else `fallback` (or, when none is
// given, the id's English default). A missing translation is written into the language
// file with the default at the next idle moment, so a translator finds every text the
// program asked for.
QString GetString(int id, const QString &fallback);
QString GetString(int id);
