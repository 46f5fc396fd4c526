#pragma once

#include "base/network_adapters.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class CameraRegistry;
struct TConfigItem;

// What is wrong with the addresses the cameras answered from, seen together: two
// cameras on one address, a camera answering from one of this machine's own addresses,
// a camera outside the subnet of the adapter it answered on (it needs re-addressing
// before anything but a broadcast reaches it).
class AddressReview final
{
public:
    struct Camera {
        QString mac;
        QString address;
        int adapterIndex = 0;
        bool remote = false;     // registered by address: reached by routing, any subnet
    };
    struct Remark {
        QString adapter;          // the name of the adapter it answered on, or empty
        // The other cameras answering from its address: how many, and the MACs of the
        // first kNamedShares of them (a host answering with thousands of MACs gets a
        // remark of a few lines, not thousands).
        QStringList sharedWith;
        int sharedCount = 0;
        bool ownAddress = false;  // answers from an address of this machine
        // Set when the adapter is known and the camera is local: inside one of the
        // adapter's subnets or not, and the adapter's first subnet for the message.
        std::optional<bool> inSubnet;
        QString subnet;

        bool warning() const { return sharedCount > 0 || ownAddress; }
        // The lines a tooltip shows under the camera: "answered on eth2", "not in
        // 10.20.0.0/24 of eth2", "10.20.0.12 is also the address of 00:0A:…".
        QStringList lines(const QString &address) const;
    };

    static constexpr int kNamedShares = 8;

    // One remark a camera, in the order given.
    static QList<Remark> review(const QList<Camera> &cameras, const NetworkAdapters &adapters);
    static Camera of(const TConfigItem &item);
    // Every listed camera's row gets its remark as tooltip and warning mark (a MAC
    // heard from two addresses, too).
    static void mark(CameraRegistry &registry, const NetworkAdapters &adapters);
};
