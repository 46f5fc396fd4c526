#include "desktop/ui/fileconfig/get_conf_dlg.h"

#include "base/string_table.h"
#include "protocol/config_item.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

TGetConfDlg::TGetConfDlg(UdpEndpoint &endpoint, Messenger &messenger, CommandResultSink *results,
                         QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , m_session(endpoint, messenger, results)
    , m_label1(new QLabel(this))
    , m_progress(new QProgressBar(this))
    , m_button1(new QPushButton(this))
    , m_timeoutTimer(new QTimer(this))
    , m_sendRebootTimer(new QTimer(this))
{
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_timeoutTimer->setObjectName(QStringLiteral("TimeoutTimer"));
    m_sendRebootTimer->setObjectName(QStringLiteral("SendRebootTimer"));
    m_label1->setText(GetString(3296, QStringLiteral("Getting Configurations from the Camera...")));
    m_label1->setGeometry(12, 10, 276, 20);
    m_progress->setGeometry(12, 36, 276, 18);
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_button1->setText(GetString(3279, QStringLiteral("Abort")));
    m_button1->setGeometry(112, 62, 75, 26);
    setFixedSize(300, 98);
    m_session.attachTimers(m_timeoutTimer, m_sendRebootTimer);
    connect(&m_session, &ConfigTransferSession::changed, this, &TGetConfDlg::refresh);
    connect(&m_session, &ConfigTransferSession::finished, this, &TGetConfDlg::sessionFinished);
    connect(m_button1, &QPushButton::clicked, &m_session, &ConfigTransferSession::abort);
    refresh();
}

TGetConfDlg::~TGetConfDlg()
{
    m_session.attachTimers(nullptr, nullptr);
}

int TGetConfDlg::run(const ConfigTransfer &transfer)
{
    m_session.configure(transfer);
    // The title names the camera; the texts inside stay as they are.
    setWindowTitle(transfer.camera ? transfer.camera->displayName() : QString());
    m_session.show();
    if (m_session.visible())
        exec();
    return m_session.modalResult();
}

void TGetConfDlg::reject()
{
    // Escape and the window's close button abort the run like Button1.
    if (m_session.visible())
        m_session.abort();
    else
        QDialog::reject();
}

void TGetConfDlg::refresh()
{
    m_progress->setVisible(m_session.progressVisible());
    m_progress->setValue(m_session.progressPosition());
    // A run that is over goes at once: the progress box stays on top, and the message
    // that follows must not open under it.
    if (!m_session.visible() && isVisible())
        done(m_session.modalResult() == ConfigTransferSession::Ok ? QDialog::Accepted : QDialog::Rejected);
}

void TGetConfDlg::sessionFinished(ConfigTransferSession::Result result)
{
    if (isVisible())
        done(result == ConfigTransferSession::Ok ? QDialog::Accepted : QDialog::Rejected);
}
