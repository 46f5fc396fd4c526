#include "desktop/ui/transfer/firmware_dlg.h"

#include "base/messenger.h"
#include "base/string_table.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

TFirmwareDlg::TFirmwareDlg(Messenger &messenger, UdpEndpoint *activity, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_messenger(messenger)
    , m_processMessage(new QLabel(this))
    , m_updateProgress(new QProgressBar(this))
    , m_uploadEndTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("FirmwareDlg"));
    m_processMessage->setObjectName(QStringLiteral("ProcessMessage"));
    m_updateProgress->setObjectName(QStringLiteral("UpdateProgress"));
    m_uploadEndTimer->setObjectName(QStringLiteral("UploadEndTimer"));
    m_processMessage->setText(GetString(3264, QStringLiteral("Connecting to the camera...")));
    m_processMessage->setMinimumWidth(m_processMessage->fontMetrics().averageCharWidth() * 52);
    m_updateProgress->setTextVisible(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_processMessage);
    layout->addWidget(m_updateProgress);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_session.setActivity(activity);
    m_session.attachTimer(m_uploadEndTimer);
    connect(&m_session, &FirmwareUploadSession::changed, this, &TFirmwareDlg::refresh);
    connect(&m_session, &FirmwareUploadSession::finished, this, &TFirmwareDlg::sessionFinished);
}

TFirmwareDlg::~TFirmwareDlg()
{
    m_session.attachTimer(nullptr);
}

int TFirmwareDlg::run(const FlashJob &job, FirmwareUploadSession::Kind kind)
{
    setWindowTitle(kind == FirmwareUploadSession::Picture
                       ? GetString(3271, QStringLiteral("Image File Update"))
                       : GetString(3272, QStringLiteral("Firmware Update")));
    m_session.show(job, kind);
    if (m_session.visible())
        exec();
    return m_session.result();
}

QString TFirmwareDlg::phaseText(const FirmwareUploadSession &session)
{
    using Phase = FirmwareUploadSession::Phase;
    switch (session.phase()) {
    case Phase::Connecting:
        return GetString(3268, QStringLiteral("Connecting to ")) + session.host() + QStringLiteral(" ...");
    case Phase::Preparing:
        return GetString(3266, QStringLiteral("Please wait... Now Preparing for uploading the file..."));
    case Phase::Uploading:
        return GetString(3267, QStringLiteral("Now uploading the file..."));
    case Phase::Clearing:
        return GetString(3270, QStringLiteral("Clearing the old Flash Image..."));
    case Phase::Writing:
        return GetString(3265, QStringLiteral("Writing the new Flash Image..."));
    case Phase::Restarting:
        return GetString(3269, QStringLiteral("Please wait until the camera is rebooted.."));
    case Phase::Hidden:
        break;
    }
    return GetString(3264, QStringLiteral("Connecting to the camera..."));
}

QString TFirmwareDlg::noticeText(const FirmwareUploadSession &session)
{
    using Notice = FirmwareUploadSession::Notice;
    switch (session.notice()) {
    case Notice::FileMissing:
        return GetString(3241, QStringLiteral("Flash Image File Name is required"));
    case Notice::InvalidImage:
        return GetString(3242, QStringLiteral("Invalid Flash Image File"));
    case Notice::LoginFailed:
        if (session.transferResult().serverSilent)
            return TransferResult::silentPortText(session.host(), session.port());
        return GetString(3243, QStringLiteral("Login Authentication Failed")) + QLatin1Char('\n')
               + GetString(3244, QStringLiteral("Check ID, Password and FTP Port Number"));
    case Notice::StoreFailed: {
        QString text = GetString(3280, QStringLiteral("Failed on Transfering File"));
        // What the camera said, when it said anything: "553 ..." or "452 ...".
        const QString reply = session.transferResult().lastReply;
        if (!reply.isEmpty() && !reply.startsWith(u'2') && !reply.startsWith(u'1'))
            text += QLatin1Char('\n') + reply;
        return text;
    }
    case Notice::None:
        break;
    }
    return QString();
}

void TFirmwareDlg::reject()
{
    // Escape does nothing: the camera may be writing its flash.
}

void TFirmwareDlg::closeEvent(QCloseEvent *event)
{
    if (m_session.visible())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TFirmwareDlg::refresh()
{
    // A closed window keeps the last words it showed.
    if (!m_session.visible())
        return;
    m_processMessage->setText(phaseText(m_session));
    m_updateProgress->setVisible(m_session.phase() != FirmwareUploadSession::Phase::Connecting
                                 && m_session.phase() != FirmwareUploadSession::Phase::Preparing);
    m_updateProgress->setRange(0, m_session.progressMaximum());
    m_updateProgress->setValue(m_session.progressPosition());
}

void TFirmwareDlg::sessionFinished(int result)
{
    if (isVisible())
        done(result == FirmwareUploadSession::Done ? QDialog::Accepted : QDialog::Rejected);
    // Closed first: a message box runs its own event loop, and notices arriving meanwhile
    // must find the upload over.
    const QString text = noticeText(m_session);
    if (!text.isEmpty())
        m_messenger.tell(text, GetString(3169, QStringLiteral("WARNING")), Messenger::Style::Error);
}
