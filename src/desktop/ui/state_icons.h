#pragma once

#include <QIcon>

// The pictures of the row states (restarting, not found, lost, waiting, upgrading,
// updating); a present camera has none.
QIcon CameraStateIcon(int state);
