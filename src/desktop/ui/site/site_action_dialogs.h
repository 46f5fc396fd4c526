#pragma once

#include "desktop/site_action_inputs.h"

class QWidget;

// The window's answers to what an action on a selection asks: folder and file choosers,
// the firmware and field dialogs, and the plan check's table with Apply offered only
// for a plan without errors.
class SiteActionDialogs final : public SiteActionInputs
{
public:
    explicit SiteActionDialogs(QWidget *parent);

    QString backupFolder(int cameras) override;
    std::optional<Restore> restoreFrom(int cameras) override;
    std::optional<FirmwareRollout::Job> firmwareJob(int cameras) override;
    std::optional<Field> fieldToSet(int cameras) override;
    QString planFile() override;
    bool confirmPlan(const PlanCheck &check) override;

private:
    QWidget *m_parent;
};
