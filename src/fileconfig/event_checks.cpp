#include "fileconfig/event_checks.h"

#include "base/string_table.h"
#include "fileconfig/page_settings.h"

#include <limits>

namespace {

// The output time's message asks for "more than 1"; 0 would switch the output on for
// no time at all, so the bound is 1 and 1 itself passes.
constexpr int kMinOutputTime = 1;

QString text(const QByteArray &bytes)
{
    return PageText::fromBytes(bytes);
}

std::optional<CheckFailure> checkFtp(const EventSettings &v)
{
    const QString server = QStringLiteral("editEventFtpServer");
    const QString user = QStringLiteral("editEventFtpID");
    const QString port = QStringLiteral("editEventFtpPort");
    if (auto f = Checks::RequireField(text(v.ftpServer),
                                      GetString(3222, QStringLiteral("Server Address is required")),
                                      server))
        return f;
    if (auto f = Checks::RejectBlanks(text(v.ftpServer),
                                      GetString(3223, QStringLiteral("Server Address has BLANKS")),
                                      server))
        return f;
    if (auto f = Checks::RejectBlanks(text(v.ftpUser),
                                      GetString(3217, QStringLiteral("User ID has BLANKS")), user))
        return f;
    if (auto f = Checks::RequireField(
            text(v.ftpPort), GetString(3218, QStringLiteral("FTP Port is required")), port))
        return f;
    if (auto f = Checks::RequireNumber(
            text(v.ftpPort), 1, 65535,
            GetString(3219, QStringLiteral("The Port value must be beteen 1 to 65535")),
            GetString(3220, QStringLiteral("The Port value must be a NUMBER")), port))
        return f;
    if (auto f = Checks::RequireField(text(v.ftpUser),
                                      GetString(3185, QStringLiteral("User ID is required")), user))
        return f;
    if (auto f = Checks::RequireField(text(v.ftpImageName),
                                      GetString(3221, QStringLiteral("Image Name is required")),
                                      QStringLiteral("editEventFtpImgName")))
        return f;
    return Checks::RequireField(text(v.ftpPassword),
                                GetString(3186, QStringLiteral("Password is required")),
                                QStringLiteral("editEventFtpPass"));
}

std::optional<CheckFailure> checkMail(const EventSettings &v)
{
    const QString server = QStringLiteral("editEventMailServer");
    const QString port = QStringLiteral("editEventMailPort");
    if (auto f = Checks::RequireField(text(v.mailServer),
                                      GetString(3222, QStringLiteral("Server Address is required")),
                                      server))
        return f;
    if (auto f = Checks::RejectBlanks(text(v.mailServer),
                                      GetString(3223, QStringLiteral("Server Address has BLANKS")),
                                      server))
        return f;
    if (auto f = Checks::RequireField(
            text(v.mailPort), GetString(3224, QStringLiteral("Mail Server Port is required")),
            port))
        return f;
    if (auto f = Checks::RequireNumber(
            text(v.mailPort), 1, 65535,
            GetString(3219, QStringLiteral("The Port must be beteen 1 to 65535")),
            GetString(3220, QStringLiteral("The Port must be a NUMBER")), port))
        return f;
    return Checks::RequireField(text(v.mailTo),
                                GetString(3227, QStringLiteral("Mail Receiver is required")),
                                QStringLiteral("editEventMailTo"));
}

} // namespace

std::optional<CheckFailure> CheckEventPage(const EventPageSettings &s)
{
    const EventSettings &v = s.values;
    if (v.ftpEnabled) {
        if (auto f = checkFtp(v))
            return f;
    }
    if (v.mailEnabled) {
        if (auto f = checkMail(v))
            return f;
    }
    const QString outTime = QStringLiteral("editDoOutTime");
    if (auto f = Checks::RequireField(
            text(v.outputTime), GetString(3228, QStringLiteral("Digital Output Time is required")),
            outTime))
        return f;
    if (auto f = Checks::RequireNumber(
            text(v.outputTime), kMinOutputTime, std::numeric_limits<int>::max(),
            GetString(3225,
                      QStringLiteral("The value is too small, input the number more than 1.")),
            GetString(3229, QStringLiteral("Digital Output Time must be a NUMBER")), outTime))
        return f;
    if (s.source == EventSource::Timer && !Checks::ParseInteger(text(v.period))) {
        return CheckFailure{GetString(3230, QStringLiteral("Input Timer Value must be a NUMBER")),
                            {},
                            QStringLiteral("editEventInputPeriod")};
    }
    // The file keeps every field, ticked or not. The output time and the period passed
    // as digits only.
    const auto ftp = [](int id, const char *caption) -> QString {
        return GetString(3133, QStringLiteral("FTP")) + QLatin1Char(' ')
               + GetString(id, QLatin1String(caption));
    };
    return Checks::RejectUnstorable({
        {text(v.ftpServer), ftp(3134, "Server"), QStringLiteral("editEventFtpServer")},
        {text(v.ftpPort), ftp(3135, "Port"), QStringLiteral("editEventFtpPort")},
        {text(v.ftpUser), ftp(3136, "ID"), QStringLiteral("editEventFtpID")},
        {text(v.ftpPassword), ftp(3137, "Password"), QStringLiteral("editEventFtpPass")},
        {text(v.ftpImageName), GetString(3138, QStringLiteral("Image Name")),
         QStringLiteral("editEventFtpImgName")},
        {text(v.mailServer), GetString(3141, QStringLiteral("SMTP Server")),
         QStringLiteral("editEventMailServer")},
        {text(v.mailPort), GetString(3142, QStringLiteral("SMTP Port")),
         QStringLiteral("editEventMailPort")},
        {text(v.mailSubject), GetString(3143, QStringLiteral("Message Title")),
         QStringLiteral("editEventMailTitle")},
        {text(v.mailFrom), GetString(3144, QStringLiteral("From")),
         QStringLiteral("editEventMailFrom")},
        {text(v.mailTo), GetString(3145, QStringLiteral("To")), QStringLiteral("editEventMailTo")},
        {text(v.notifyServer), GetString(3147, QStringLiteral("Notify To")),
         QStringLiteral("editEventNotifyTo")},
    });
}
