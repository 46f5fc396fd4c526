#pragma once

#include "site/batch_runner.h"
#include "site/plan_check.h"
#include "site/site_plan.h"

#include <QList>
#include <QString>
#include <QStringList>

class CameraNetwork;
struct TConfigItem;

// The commands that bring a camera to its row of a site plan, in one place for the check
// and the apply: what plan check calls wrong is what apply would refuse, by the same
// checks, and a camera left between two steps is told as such.
class PlanSteps final
{
public:
    // The plan held against the cameras listed now and this computer's networks, with the
    // refusals each row's steps would meet.
    static PlanCheck check(CameraNetwork &network, const SitePlan &plan);
    // A camera as it announced itself.
    static PlanCamera cameraOf(const TConfigItem &camera);
    // The network first (followed to the planned address), then the host name.
    static QList<BatchStep> of(const SitePlan::Entry &entry, const PlanCheck::Row &row, const PlanCamera &now);
    // "the host step would be refused: Host Name has blanks" for each step the camera's
    // own checks refuse; run on a copy of its record, so a check changes nothing.
    static QStringList refusals(CameraNetwork &network, const SitePlan::Entry &entry, const PlanCheck::Row &row);
    // A camera that took some steps of this run and failed the next: "address changed,
    // host name refused: ..."; empty for any other ending. (A step an earlier run sent
    // is not counted: whether it took shows in what the camera announces now.)
    static QString partWay(const BatchResult &result);
};
