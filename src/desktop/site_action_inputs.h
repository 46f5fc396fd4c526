#pragma once

#include "site/firmware_rollout.h"

#include <QString>

#include <optional>

class PlanCheck;

// What the actions on a selection of cameras ask the user before anything is sent: the
// window answers with its dialogs, tests with scripted answers. Nothing (or an empty
// path) is a cancel.
class SiteActionInputs
{
public:
    struct Restore {
        QString root;          // a backup folder holding one camera folder a MAC
        QString cloneFolder;   // one camera: this camera folder, of any camera, instead
    };
    struct Field {
        QString key;           // "stream.port"
        QString value;
    };

    virtual ~SiteActionInputs() = default;
    // Where backups of cameras go.
    virtual QString backupFolder(int cameras) = 0;
    virtual std::optional<Restore> restoreFrom(int cameras) = 0;
    virtual std::optional<FirmwareRollout::Job> firmwareJob(int cameras) = 0;
    virtual std::optional<Field> fieldToSet(int cameras) = 0;
    virtual QString planFile() = 0;
    // The check's result shown before anything is sent; true when the user chose to
    // apply it, which is offered only for a check without errors.
    virtual bool confirmPlan(const PlanCheck &check) = 0;
};
