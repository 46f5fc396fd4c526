#pragma once

#include <QString>

#include <functional>

struct TConfigItem;

// The selected camera-list row as the settings pages of both families need it: the
// camera's record, where the row keeps it, and the columns the commands are built from.
struct SelectedRow {
    TConfigItem *camera = nullptr;
    int record = -1;
    QString mac;    // column 0
    QString kind;   // column 4: "2" local, "3" remote
};

// Asked each time a page acts, so that a flow never works on a row that went away.
using SelectedRowSource = std::function<SelectedRow()>;
