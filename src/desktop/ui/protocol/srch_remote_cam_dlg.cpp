#include "desktop/ui/protocol/srch_remote_cam_dlg.h"

#include "base/messenger.h"
#include "base/string_table.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TSrchRemoteCamDlg::TSrchRemoteCamDlg(UdpEndpoint &endpoint, Discovery &discovery,
                                     Messenger &messenger, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_session(endpoint, discovery)
    , m_messenger(messenger)
    , m_port(new QLineEdit(QStringLiteral("32154"), this))
    , m_button1(new QPushButton(GetString(3300, QStringLiteral("OK")), this))
    , m_button2(new QPushButton(GetString(3301, QStringLiteral("Cancel")), this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("TSrchRemoteCamDlg"));
    setWindowTitle(GetString(3290, QStringLiteral("Search Remote Camera")));
    m_port->setObjectName(QStringLiteral("lblZoraPort"));
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_timer->setObjectName(QStringLiteral("srchTimer"));

    auto *label = new QLabel(GetString(3286, QStringLiteral("ZORA Port")) + QStringLiteral(" : "), this);
    label->setBuddy(m_port);
    auto *port = new QHBoxLayout;
    port->addWidget(label);
    port->addWidget(m_port);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_button1);
    buttons->addWidget(m_button2);
    auto *top = new QVBoxLayout(this);
    top->addLayout(port);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    m_button1->setDefault(true);
    m_session.attachTimer(m_timer);
    connect(m_button1, &QPushButton::clicked, this, &TSrchRemoteCamDlg::Button1Click);
    connect(m_button2, &QPushButton::clicked, this, &TSrchRemoteCamDlg::Button2Click);
    connect(&m_session, &RemoteSearchSession::finished, this, &TSrchRemoteCamDlg::closeWith);
    connect(this, &QDialog::finished, this, &TSrchRemoteCamDlg::FormClose);
}

TSrchRemoteCamDlg::~TSrchRemoteCamDlg() = default;

int TSrchRemoteCamDlg::ShowModal()
{
    FormShow();
    return exec();
}

void TSrchRemoteCamDlg::FormShow()
{
    m_port->setText(QStringLiteral("32154"));
    m_button1->setEnabled(true);
}

void TSrchRemoteCamDlg::Button1Click()
{
    QString message;
    if (!m_session.start(m_port->text(), &message)) {
        m_messenger.tell(message);
        m_port->setFocus();
        return;
    }
    m_button1->setEnabled(false);
}

void TSrchRemoteCamDlg::srchTimerTimer()
{
    m_session.tick();
}

void TSrchRemoteCamDlg::Button2Click()
{
    if (m_session.state() == RemoteSearchSession::State::Searching)
        m_session.cancel();
    else
        closeWith(RemoteSearchSession::ResultCancelled);
}

void TSrchRemoteCamDlg::FormClose()
{
    m_timer->stop();
    m_session.cancel();
}

void TSrchRemoteCamDlg::reject()
{
    Button2Click();
}

void TSrchRemoteCamDlg::closeWith(int result)
{
    m_timer->stop();
    m_button1->setEnabled(true);
    m_button2->setEnabled(true);
    done(result);
}
