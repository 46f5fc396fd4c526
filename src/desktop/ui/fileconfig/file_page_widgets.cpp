#include "desktop/ui/fileconfig/file_page_widgets.h"

#include "desktop/ui/fileconfig/account_page.h"
#include "desktop/ui/fileconfig/audio_page.h"
#include "desktop/ui/fileconfig/camera_control_page.h"
#include "desktop/ui/fileconfig/camera_update_page.h"
#include "desktop/ui/fileconfig/ddns_page.h"
#include "desktop/ui/fileconfig/event_page.h"
#include "desktop/ui/fileconfig/host_name_page.h"
#include "desktop/ui/fileconfig/initial_video_page.h"
#include "desktop/ui/fileconfig/network_info_page.h"
#include "desktop/ui/fileconfig/security_page.h"
#include "desktop/ui/fileconfig/stream_server_page.h"
#include "desktop/ui/fileconfig/system_info_page.h"
#include "desktop/ui/fileconfig/web_server_page.h"

namespace {

using Make = QWidget *(*)(const FilePageWidgetContext &, QWidget *);

template <typename Page>
QWidget *plain(const FilePageWidgetContext &, QWidget *parent)
{
    return new Page(parent);
}

QWidget *networkInfo(const FilePageWidgetContext &context, QWidget *parent)
{
    auto *page = new NetworkInfoPage(parent);
    page->setLocalNetwork(context.localNetwork);
    return page;
}

QWidget *cameraUpdate(const FilePageWidgetContext &context, QWidget *parent)
{
    return new CameraUpdatePage(context.update, context.messenger, parent);
}

struct Row {
    FileTab tab;
    Make make;
};

const Row kRows[] = {
    {FileTab::NetworkInfo, networkInfo},
    {FileTab::HostName, plain<HostNamePage>},
    {FileTab::Account, plain<AccountPage>},
    {FileTab::CameraUpdate, cameraUpdate},
    {FileTab::Ddns, plain<DdnsPage>},
    {FileTab::WebServer, plain<WebServerPage>},
    {FileTab::StreamServer, plain<StreamServerPage>},
    {FileTab::EventServer, plain<EventPage>},
    {FileTab::InitialVideo, plain<InitialVideoPage>},
    {FileTab::CameraControl, plain<CameraControlPage>},
    {FileTab::SystemInfo, plain<SystemInfoPage>},
    {FileTab::Security, plain<SecurityPage>},
    {FileTab::Audio, plain<AudioPage>},
};

} // namespace

namespace FilePageWidgets {

QWidget *make(FileTab tab, const FilePageWidgetContext &context, QWidget *parent)
{
    for (const Row &row : kRows) {
        if (row.tab == tab)
            return row.make(context, parent);
    }
    return nullptr;
}

} // namespace FilePageWidgets
