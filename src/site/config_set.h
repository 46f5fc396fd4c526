#pragma once

#include "protoconfig/credentials.h"
#include "site/batch_runner.h"
#include "site/config_assignments.h"
#include "site/config_view.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class CameraNetwork;
class RunSink;

// Changes fields on many cameras: each camera's page files are fetched, the fields set,
// the page's checks run (nothing goes back when one fails), the files written by the
// page's writer and uploaded page by page. The network and host-name fields follow as
// their commands, to the cameras whose files went well.
class ConfigSet final
{
public:
    struct Job {
        QList<ConfigAssignments::Unit> units;
        bool dryRun = false;         // find the lines that would change; send nothing
        LoginEntry login;
        int parallel = 8;
    };
    // The file lines each camera's change comes to, by MAC; a line holding a password
    // reads "(a line holding a password)".
    using LineChanges = QHash<QString, QList<ConfigView::LineChange>>;
    // The fields given that the camera held with another value, by MAC, before → after;
    // a secret says only that it changes.
    using FieldChanges = QHash<QString, QList<ConfigView::Difference>>;

    explicit ConfigSet(CameraNetwork &network);

    // One result a MAC, in the list's order.
    QList<BatchResult> run(RunSink &sink, const QStringList &macs, const Job &job);
    const LineChanges &lineChanges() const { return *m_lines; }
    const FieldChanges &fieldChanges() const { return *m_fields; }

private:
    void sendRecordPages(RunSink &sink, const Job &job, QList<BatchResult> &results);

    CameraNetwork &m_network;
    std::shared_ptr<LineChanges> m_lines = std::make_shared<LineChanges>();
    std::shared_ptr<FieldChanges> m_fields = std::make_shared<FieldChanges>();
};
