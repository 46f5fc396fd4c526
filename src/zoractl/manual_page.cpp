#include "zoractl/manual_page.h"

#include "base/app_options.h"
#include "zoractl/command_table.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

const QString kHead = uR"(.TH ZORACTL 1 "December 2026" "ZORA %1" "User Commands"
.SH NAME
zoractl \- find and change network cameras from the command line
.SH SYNOPSIS
.B zoractl
.I command
[\fIarguments\fR] [\fIoptions\fR]
.br
.B zoractl
.RB [ \-h | \-\-help | \-V | \-\-version ]
.SH DESCRIPTION
.B zoractl
does from scripts what the
.BR zora (1)
window does: it finds the cameras on the local network and sends them their settings.
Every command that changes a camera asks for the administrator credentials (from
.B \-\-user
and
.BR \-\-password\-file ,
.BR $ZORA_PASSWORD ,
or on the terminal) and waits for the camera's confirmation.
.PP
Options with a value may be written
.B \-\-name value
or
.BR \-\-name=value ;
.B \-\-
ends the options. A file of MAC addresses, a plan or a password file may be
.B \-
(standard input) or a pipe.
)"_s;

const QString kTail = uR"(.SH ENVIRONMENT
.TP
.B ZORA_PASSWORD
The administrator password when no \-\-password\-file is given.
.TP
.B ZORA_PPPOE_PASSWORD
The PPPoE password of set\-network \-\-pppoe when no \-\-pppoe\-password\-file is given.
.TP
.B ZORA_LOOPBACK_ONLY
Set to 1, every datagram and FTP connection to an address outside 127.0.0.0/8 is
refused with a message instead of being sent; host names other than localhost are not
looked up.
.TP
.B ZORA_ALLOWED_NETS
CIDR[,CIDR...]: under ZORA_LOOPBACK_ONLY, addresses in these nets are let through as well.
.TP
.B NO_COLOR
Set to anything but an empty text, no status line or other terminal escape is written.
.TP
.B TERM
dumb: no status line (it needs a cursor that moves).
.TP
.BR XDG_CONFIG_HOME ", " XDG_STATE_HOME ", " XDG_RUNTIME_DIR ", " XDG_CACHE_HOME
Where an installed copy keeps its settings, its saved state and its working copies of
camera files (see FILES).
.SH FILES
An installed copy keeps zora.ini and the language files in
.IR $XDG_CONFIG_HOME/zora ,
the saved camera list and the window layout in
.IR $XDG_STATE_HOME/zora ,
and working copies of camera files in
.I $XDG_RUNTIME_DIR/zora
(else
.IR $XDG_CACHE_HOME/zora ).
A copy run from a build tree, or given \-\-app\-dir, keeps everything in that directory.
.SH EXIT STATUS
%1
.SH SEE ALSO
.BR zora (1)
)"_s;

QString bold(const QString &word)
{
    return u"\\fB"_s + ManualPage::escaped(word) + u"\\fR"_s;
}

// A synopsis as roff: options and literal words bold, placeholders (upper case) italic.
QString synopsisMarkup(const QString &synopsis)
{
    static const QRegularExpression token(uR"([A-Z][A-Z0-9_./]*|[a-z0-9][a-z0-9.-]*|--[a-z0-9-]+|[^A-Za-z0-9-]+|-)"_s);
    QString out;
    auto it = token.globalMatch(synopsis);
    while (it.hasNext()) {
        const QString t = it.next().captured();
        if (t.front().isUpper())
            out += u"\\fI"_s + ManualPage::escaped(t) + u"\\fR"_s;
        else if (t.front().isLetterOrNumber() || t.startsWith(u"--"_s))
            out += bold(t);
        else
            out += ManualPage::escaped(t);
    }
    return out;
}

// A command's help: prose lines as paragraphs, "  --option VALUE  text" lines (and their
// indented continuations) as tagged items.
QString descriptionMarkup(const QString &description)
{
    static const QRegularExpression item(uR"(^  (--?[a-z0-9-]+(?: [^ ]+)*?)(?:\s{2,}(.*))?$)"_s);
    QString out;
    bool inItem = false;
    for (const QString &line : description.split(u'\n')) {
        const QRegularExpressionMatch m = item.match(line);
        if (m.hasMatch()) {
            out += u".RS\n.TP\n"_s + synopsisMarkup(m.captured(1)) + u'\n';
            if (!m.captured(2).isEmpty())
                out += ManualPage::escaped(m.captured(2)) + u'\n';
            out += u".RE\n"_s;
            inItem = true;
        } else if (inItem && line.startsWith(u"    "_s)) {
            // A continuation belongs inside the item drawn last.
            out.chop(4);
            out += ManualPage::escaped(line.trimmed()) + u"\n.RE\n"_s;
        } else if (line.trimmed().isEmpty()) {
            out += u".IP\n"_s;
            inItem = false;
        } else {
            out += ManualPage::escaped(line.trimmed()) + u'\n';
            inItem = false;
        }
    }
    return out;
}

QString exitStatusMarkup()
{
    const QString usage = CommandTable::generalUsage();
    const qsizetype at = usage.indexOf(u"Exit status: "_s);
    QString text = usage.mid(at + 13).simplified();
    return ManualPage::escaped(text);
}

} // namespace

QString ManualPage::escaped(const QString &line)
{
    QString s = line;
    s.replace(u'\\', u"\\e"_s);
    s.replace(u'-', u"\\-"_s);
    if (s.startsWith(u'.') || s.startsWith(u'\''))
        s.prepend(u"\\&"_s);
    return s;
}

QString ManualPage::text()
{
    QString out = kHead.arg(QStringLiteral(ZORA_VERSION));
    out += u".SH COMMANDS\n"_s;
    for (const CommandSyntax &c : CommandTable::table()) {
        out += u".TP\n"_s + synopsisMarkup(c.synopsis) + u'\n';
        out += descriptionMarkup(c.description);
    }
    out += u".PP\n"_s + bold(u"zoractl"_s) + u" \\fIcommand\\fR "_s + bold(u"--help"_s)
           + u"\ndescribes a command and its options.\n"_s;
    out += u".SH OPTIONS OF EVERY COMMAND\n"_s;
    for (const AppOptions::Shared &o : AppOptions::shared()) {
        out += u".TP\n"_s + bold(o.name);
        if (!o.value.isEmpty())
            out += u" \\fI"_s + escaped(o.value) + u"\\fR"_s;
        out += u'\n';
        for (const QString &line : o.help.split(u'\n'))
            out += escaped(line) + u'\n';
    }
    out += kTail.arg(exitStatusMarkup());
    return out;
}
