#include "desktop/ui/number_fields.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

void NumberFields::restrict(QWidget *root)
{
    static const QRegularExpression digits(QStringLiteral(
        "^(editWebPort|editStreamPort|editStreamUdpMax|editStreamTcpMax|editEventFtpPort"
        "|editEventMailPort|editDoOutTime|editEventInputPeriod|editCamConCam\\d+ID"
        "|edtAudioPort|edtAudioMaxCon|pppMTU|pppL60MTU|L60MDSensitivity)$"));
    // The audio volumes go below zero.
    static const QRegularExpression signedDigits(QStringLiteral("^(edtAudioSampleVol|edtAudioPlaybackVol)$"));
    const auto apply = [root](const QRegularExpression &names, const QString &pattern) {
        for (QLineEdit *edit : root->findChildren<QLineEdit *>(names))
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    };
    apply(digits, QStringLiteral("[0-9]*"));
    apply(signedDigits, QStringLiteral("-?[0-9]*"));
}
