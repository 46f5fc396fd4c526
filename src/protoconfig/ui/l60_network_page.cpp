#include "protoconfig/ui/l60_network_page.h"

#include "protoconfig/ui/l60_page_builder.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

using namespace L60Ui;

L60NetworkPage::L60NetworkPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("tabL60NetworkInfo"));
    QGroupBox *type = group(this, "RadioGroup5", caption(3026, "Network Type"), 8, 4, 340, 50);
    radio(type, "btnL60SelectStaticIP", caption(3027, "Static IP"), 12, 20)->setChecked(true);
    radio(type, "btnL60SelectDhcp", caption(3028, "DHCP"), 120, 20);
    radio(type, "btnL60SelectPPPOE", caption(3029, "PPPoE"), 228, 20);

    QGroupBox *stat = group(this, "staticL60IPPanel", caption(3030, "Static IP Network Setting"),
                            8, 60, 530, 190);
    struct Row {
        const char *label, *edit, *button;
        int id;
        const char *text;
    };
    const Row rows[] = {
        {"lblL60MacAddr", "editL60MacAddr", nullptr, 3015, "MAC Address"},
        {"lblL60IPAddr", "editL60IPAddr", "btnL60StaticPutIP", 3016, "IP Address"},
        {"lblL60NetMask", "editL60NetMask", "btnL60StaticPutNetMask", 3022, "Subnet Mask"},
        {"lblL60Gateway", "editL60Gateway", "btnL60StaticPutGateway", 3023, "Gateway"},
        {"lblL60DNSAddr", "editL60DNSAddr", "btnL60StaticPutDns", 3024, "DNS Server"},
    };
    int y = 24;
    for (const Row &r : rows) {
        label(stat, r.label, caption(r.id, r.text, true), 12, y, 150);
        edit(stat, r.edit, 170, y, 170);
        if (r.button)
            button(stat, r.button, caption(3031, "Auto Input"), 350, y - 1, 90);
        y += 32;
    }
    stat->findChild<QLineEdit *>(QStringLiteral("editL60MacAddr"))->setReadOnly(true);

    QGroupBox *ppp = group(this, "staticL60PPPOEPanel", caption(3032, "PPPoE Network Setting"),
                           8, 60, 530, 250);
    label(ppp, "lblL60PPPUserID", caption(3033, "User ID", true), 12, 24, 150);
    edit(ppp, "pppL60UserID", 170, 24);
    label(ppp, "lblL60PPPPassword", caption(3034, "Password", true), 12, 54, 150);
    edit(ppp, "pppL60Password", 170, 54, 170, true);
    label(ppp, "lblL60PPPService", caption(3035, "Service Name", true), 12, 84, 150);
    edit(ppp, "pppL60Service", 170, 84);
    label(ppp, "lblL60PPPMTU", QStringLiteral("MTU : "), 12, 114, 150);
    edit(ppp, "pppL60MTU", 170, 114, 80);
    label(ppp, "lblL60PPPDnsType", caption(3024, "DNS Server", true), 12, 146, 150);
    radio(ppp, "pppL60SelectDnsTypeAuto", caption(3038, "Auto DNS"), 170, 146, 110);
    radio(ppp, "pppL60SelectDnsTypeManual", caption(3037, "Manual DNS"), 290, 146, 120)
        ->setChecked(true);
    label(ppp, "lblL60PPPDns", caption(3036, "DNS", true), 12, 178, 150);
    edit(ppp, "pppL60Dns", 170, 178);
    button(ppp, "btnL60PPPPutDnsAddr", caption(3031, "Auto Input"), 350, 177, 90);
    ppp->hide();

    QGroupBox *audio = group(this, "groupAudio", caption(3039, "Audio Info"), 8, 318, 530, 50);
    label(audio, "lblL60AudioEnabled", caption(3040, "Audio is NOT avilable"), 12, 20, 300);
}
