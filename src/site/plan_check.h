#pragma once

#include "site/site_plan.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// A camera that answered the scan, as it announced itself.
struct PlanCamera {
    QString mac;                                // "00:0A:1B:2C:3D:4E"
    QString ip, mask, gateway, dns;             // dns empty when the camera has none
    QString host;
    std::optional<QString> domain;              // nothing when the camera announces none
    QString network;                            // "static", "dhcp" or "pppoe"
    QString model;                              // for messages
};

// One of this computer's IPv4 networks: the adapter's own address and its netmask, in
// host order.
struct LocalSubnet {
    quint32 address = 0;
    quint32 netmask = 0;
    QString adapter;
};

// A site plan held against the cameras that answered a scan: what each row would change
// on its camera, and what is wrong with the plan before anything is sent (a MAC or an
// address planned twice, an address another camera holds, cameras that did not answer,
// cameras the plan leaves out, addresses this computer could no longer reach).
class PlanCheck final
{
public:
    struct FieldChange {
        QString field;                          // the column name: "ip", "host", ...
        std::optional<QString> current;         // nothing when the camera has none
        QString planned;
    };
    struct Row {
        int line = 0;
        QString mac;
        bool found = false;
        QString address;                        // the camera's address now; empty when missing
        QList<FieldChange> changes;
        bool asPlanned() const { return found && changes.isEmpty(); }
    };
    enum class Severity { Error, Missing, Warning };
    struct Problem {
        Severity severity = Severity::Error;
        QString kind;       // duplicate-mac, duplicate-address, address-in-use, missing,
                            // not-in-plan, outside-subnets, refused-value
        QString mac;
        int line = 0;       // 0 for a camera that no row names
        QString message;
    };

    // The refusals the steps of a found row's camera would meet at apply ("host: Host
    // Name has blanks"), from the very checks apply runs; none when they would pass.
    using StepCheck = std::function<QStringList(const SitePlan::Entry &entry, const Row &row)>;

    static PlanCheck run(const SitePlan &plan, const QList<PlanCamera> &onWire,
                         const QList<LocalSubnet> &subnets, const StepCheck &steps = {});

    const QList<Row> &rows() const { return m_rows; }
    const QList<Problem> &problems() const { return m_problems; }
    // Any error or missing camera.
    bool wrong() const;
    // Any error: an apply would send something wrong. Missing cameras are only skipped.
    bool blocksApply() const;

    // One line a row, one a problem, and a count.
    QString text() const;
    QJsonObject toJson() const;

    static QString severityName(Severity severity);

private:
    QList<Row> m_rows;
    QList<Problem> m_problems;
};
