#include "protocol/command_confirmation.h"

#include "protocol/config_item.h"

ConfirmRequest ConfirmRequest::to(const TConfigItem &camera, int recordIndex, bool unicast,
                                  const QByteArray &bytes, int capacity)
{
    ConfirmRequest r;
    r.unicast = unicast;
    r.address = camera.Address;
    r.mac = bytes.mid(9, 6);
    r.recordIndex = recordIndex;
    r.bytes = bytes;
    r.capacity = capacity;
    r.adapterIndex = camera.AdapterIndex;
    r.cameraName = camera.displayName();
    return r;
}
