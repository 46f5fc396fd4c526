#include "protoconfig/ui/l60_host_page.h"

#include "protoconfig/ui/l60_page_builder.h"

#include <QGroupBox>
#include <QLineEdit>

using namespace L60Ui;

L60HostPage::L60HostPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("tabL60Hostname"));
    QGroupBox *g = group(this, "grpL60HostName", caption(3045, "Model and Host Name"), 8, 60, 530,
                         130);
    label(g, "lblL60HostName", caption(3046, "Camera Host Name", true), 12, 24, 160);
    edit(g, "editL60HostName", 180, 24, 220);
    label(g, "lblL60Domain", caption(3047, "Domain Name", true), 12, 56, 160);
    edit(g, "editL60Domain", 180, 56, 220);
    label(g, "lblL60Model", caption(3048, "Product Model", true), 12, 88, 160);
    edit(g, "editL60Model", 180, 88, 220)->setReadOnly(true);
}
