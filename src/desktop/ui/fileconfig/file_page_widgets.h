#pragma once

class CameraUpdate;
class LocalNetworkInfo;
class Messenger;
class QWidget;
enum class FileTab : int;

// What a page widget may be built with.
struct FilePageWidgetContext {
    CameraUpdate &update;
    Messenger &messenger;
    LocalNetworkInfo *localNetwork = nullptr;
};

// The widget of each page of a file-configured camera's page control: the window's half
// of a page's row, beside its row in FilePageTable, which cannot name widget classes.
namespace FilePageWidgets {

// Null for a tab without a widget row.
QWidget *make(FileTab tab, const FilePageWidgetContext &context, QWidget *parent);

} // namespace FilePageWidgets
