#include "protoconfig/leave_question.h"

#include "base/messenger.h"
#include "base/string_table.h"
#include "protocol/config_item.h"

#include <QCoreApplication>

QString LeaveQuestion::cameraName(const TConfigItem &camera)
{
    QString name = camera.hostNameText();
    if (name.isEmpty())
        name = camera.modelNameText();
    if (name.isEmpty())
        return camera.Address;
    return camera.Address.isEmpty() ? name : name + QStringLiteral(" (") + camera.Address + QLatin1Char(')');
}

QString LeaveQuestion::text(const QString &page, const TConfigItem *camera)
{
    QString where = page;
    if (camera) {
        where = QCoreApplication::translate("LeaveQuestion", "%1 page of %2")
                    .arg(page, cameraName(*camera));
    }
    return GetString(3171, QStringLiteral("Camera Property Changed")) + QStringLiteral(":\n")
           + where + QStringLiteral("\n\n") + GetString(3172, QStringLiteral("Save the changes?"));
}

LeaveQuestion::Answer LeaveQuestion::ask(Messenger &messenger, const QString &page,
                                         const TConfigItem *camera)
{
    const int answer = messenger.show(text(page, camera), GetString(3169, QStringLiteral("Warning")),
                                      Messenger::Style::YesNoCancel);
    if (answer == Messenger::AnswerYes)
        return Save;
    return answer == Messenger::AnswerNo ? Discard : Stay;
}
