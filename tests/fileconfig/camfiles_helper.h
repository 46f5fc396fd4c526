#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The sample camera files of tests/data/camfiles, by the bare local names the fetch
// gives them.
namespace CamFiles {

// Every local name of every page's set.
QStringList localNames();
// The sample file of a local name (e.g. "title.js" is etc/html/title.js).
QByteArray sample(const QString &localName);

// A scratch folder holding a copy of every sample under its local name, like the
// temp folder after a fetch.
class Folder
{
public:
    Folder();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const;
    QByteArray read(const QString &name) const;
    bool write(const QString &name, const QByteArray &bytes) const;
    bool remove(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

} // namespace CamFiles
