#pragma once

#include "fileconfig/config_fields.h"
#include "fileconfig/event_config.h"
#include "fileconfig/page_settings.h"

#include <QList>
#include <QString>
#include <QStringList>

// What config set is asked to change: PAGE.FIELD=VALUE words read into the fields of each
// page (of each source, for the event page), every value tried on its field before any
// camera is asked.
class ConfigAssignments final
{
public:
    struct Assignment {
        ConfigField field;
        QString value;
    };
    // The fields of one page (for the event page: of one of its sources).
    struct Unit {
        FileTab tab = FileTab::Ddns;
        EventSource source = EventSource::DigitalInput;
        QList<Assignment> fields;
    };

    // False with the message on a word that names no settable field, or one given twice.
    static bool read(const QStringList &words, QList<Unit> *units, QString *error);
    // False with the message when a value cannot go into its field on any camera.
    static bool fit(const QList<Unit> &units, QString *error);
    // The network and host-name pages, which go as their commands rather than as files.
    static bool isRecordPage(FileTab tab);
};
