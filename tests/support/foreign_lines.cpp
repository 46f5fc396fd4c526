#include "foreign_lines.h"

namespace {

ForeignLinesCase row(const char *name, const char *local, const char *path, const QByteArray &before,
                     const char *field, const char *value, const char *control, const char *from,
                     const char *to)
{
    QByteArray after = before;
    const qsizetype at = after.indexOf(from);
    Q_ASSERT(at >= 0);
    after.replace(at, qstrlen(from), to);
    return {QString::fromLatin1(name), QString::fromLatin1(local), QString::fromLatin1(path),
            before, QString::fromLatin1(field), QString::fromLatin1(value),
            QString::fromLatin1(control), after};
}

} // namespace

QList<ForeignLinesCase> ForeignLinesCases()
{
    return {
        row("ddns id beside a server line the page does not read", "ddns.conf", "etc/ddns.conf",
            "# DDNS \xbc\xb3\r\nDDNS_SERVER=\"members.example\"\r\nDDNS_ENABLE=\"true\"\r\n"
            "DDNS_ID=\"old\"\r\n# site\r\nDDNS_PW=\"pw\"\r\n\r\nDDNS_HD=\"cam\"",
            "ddns.id", "new", "editDDNSID", "DDNS_ID=\"old\"", "DDNS_ID=\"new\""),
        row("ddns switch spelled in lower case", "ddns.conf", "etc/ddns.conf",
            "ddns_enable=\"true\"\nDDNS_ID=\"a\"\nDDNS_PW=\"b\"\nDDNS_HD=\"c\"\nDDNS_SERVER=\"x\"\n",
            "ddns.enabled", "off", "chkEnableDDNS", "ddns_enable=\"true\"", "ddns_enable=\"false\""),
        row("ddns handle without a line gets one after the last entry", "ddns.conf", "etc/ddns.conf",
            "DDNS_ENABLE=\"true\"\nDDNS_ID=\"a\"\nDDNS_PW=\"b\"\n# end of site part",
            "ddns.handle", "cam7", "editDDNSHandle", "DDNS_PW=\"b\"\n",
            "DDNS_PW=\"b\"\nDDNS_HD=\"cam7\"\n"),
        row("web port spelled with blanks", "thttpd.conf", "etc/thttpd.conf",
            "dir=/etc/html\r\n# port=81 was the old one\r\nport = 80\r\nuser=root\r\nchroot",
            "web.port", "8080", "editWebPort", "port = 80", "port = 8080"),
        row("web title keeps its semicolon", "title.js", "etc/html/title.js",
            "// title\nvar title = \"Old\";\nvar company = \"Example\";", "web.title", "Gate",
            "editWebTitle", "\"Old\";", "\"Gate\";"),
        row("stream TCP limit in CR LF", "tcp_server.conf", "etc/tcp_server.conf",
            "# TCP\r\nserver_port = 5001\r\nmax_connect=5\r\nlog_level=2", "stream.tcp_max_connect",
            "9", "editStreamTcpMax", "max_connect=5", "max_connect=9"),
        row("stream UDP off removes only its start line", "rc.server", "etc/rc.server",
            "#!/bin/sh\r\n/sbin/syslogd &\r\n/bin/udp_server -v &\r\n/bin/tcp_server &\r\nexit 0",
            "stream.udp", "off", "chkStreamUdpEnable", "/bin/udp_server -v &\r\n", ""),
        row("stream TCP on goes before the exit line", "rc.server", "etc/rc.server",
            "#!/bin/sh\n# servers\n/bin/udp_server &\n/sbin/site_daemon &\nexit 0\n# after exit\n",
            "stream.tcp", "on", "chkStreamTcpEnable", "exit 0\n", "/bin/tcp_server &\nexit 0\n"),
        row("event FTP server among lines no page reads", "dio_input.conf",
            "etc/event/dio_input.conf",
            "; input\r\n[INPUT]\r\nenable=true\r\nsite_zone=3\r\n[FTP]\r\nserver=old.example\r\n"
            "passive=yes\r\nuser=u\r\nuser_pw=p\r\nimage_name=e.jpg\r\n[EMAIL]\r\nenable=false",
            "event.input.ftp_server", "new.example", "editEventFtpServer", "server=old.example",
            "server=new.example"),
        row("video quality beside a key the page does not read", "middle.conf", "etc/middle.conf",
            "# video\r\n[middle_info]\r\nosd=on\r\ninit_quality = 50\r\nvideo_type=0",
            "video.quality", "70", "cboVideoQuality", "init_quality = 50", "init_quality = 70"),
        row("camera alias of channel 2", "control.conf", "etc/control.conf",
            "# heads\n[channel_1]\ncam_alias=A\n[channel_2]\ncam_alias=\"B\"\nspeed=3\n[channel_3]",
            "camera.ch2.alias", "Gate", "editCamConCam2Name", "\"B\"", "\"Gate\""),
        row("system location keeps its quotes and the other keys", "general.conf", "etc/general.conf",
            "[GENERAL]\r\n# info\r\nmodel_name=\"ZN\"\r\nbuild=77\r\ninstall_location=\"Lobby\"\r\n"
            "admin_email=a@example.invalid",
            "system.location", "Roof", "editSysLocation", "\"Lobby\"", "\"Roof\""),
        row("security level with a site rule after it", "rc.iptables", "etc/rc.iptables",
            "#!/bin/sh\r\n# level\r\n/etc/iptables_script/medium.sh\r\n"
            "/sbin/iptables -A INPUT -p tcp --dport 23 -j DROP\r\nexit 0",
            "security.level", "high", "radioSecurityHigh", "medium.sh", "high.sh"),
        row("security level without a line goes before the exit line", "rc.iptables",
            "etc/rc.iptables", "#!/bin/sh\n/sbin/iptables -F\nexit 0\n\n", "security.level", "low",
            "radioSecurityLow", "exit 0\n", "/etc/iptables_script/low.sh\nexit 0\n"),
        row("audio volume in CR LF", "audio.conf", "etc/audio.conf",
            "[audio_server_info]\r\nserver_port=1853\r\necho_cancel=1\r\nplayback_volume=200",
            "audio.playback_volume", "150", "edtAudioPlaybackVol", "playback_volume=200",
            "playback_volume=150"),
    };
}
