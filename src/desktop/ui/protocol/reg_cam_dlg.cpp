#include "desktop/ui/protocol/reg_cam_dlg.h"

#include "base/messenger.h"
#include "base/string_table.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

TRegCamDlg::TRegCamDlg(UdpEndpoint &endpoint, Discovery &discovery, Messenger &messenger,
                       QWidget *parent)
    : QDialog(parent)
    , m_session(endpoint, discovery)
    , m_messenger(messenger)
    , m_radioIp(new QRadioButton(GetString(3016, QStringLiteral("IP Address")), this))
    , m_radioDomain(new QRadioButton(GetString(3017, QStringLiteral("Host Name")), this))
    , m_ipEdit(new QLineEdit(QStringLiteral("0.0.0.0"), this))
    , m_editDomain(new QLineEdit(this))
    , m_label1(new QLabel(GetString(3286, QStringLiteral("ZORA Port")), this))
    , m_editPort(new QLineEdit(QStringLiteral("32154"), this))
    , m_btnOK(new QPushButton(GetString(3300, QStringLiteral("OK")), this))
    , m_btnCancel(new QPushButton(GetString(3301, QStringLiteral("Cancel")), this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("TRegCamDlg"));
    setWindowTitle(QStringLiteral("Camera Registration"));
    m_radioIp->setObjectName(QStringLiteral("RadioIPAddress"));
    m_radioDomain->setObjectName(QStringLiteral("RadioDomainAddress"));
    m_ipEdit->setObjectName(QStringLiteral("IPEdit"));
    m_editDomain->setObjectName(QStringLiteral("EditDomainName"));
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_editPort->setObjectName(QStringLiteral("editZORAPort"));
    m_btnOK->setObjectName(QStringLiteral("BtnOK"));
    m_btnCancel->setObjectName(QStringLiteral("BtnCancel"));
    m_timer->setObjectName(QStringLiteral("timer"));
    m_label1->setBuddy(m_editPort);

    auto *modes = new QHBoxLayout;
    modes->addWidget(m_radioIp);
    modes->addWidget(m_radioDomain);
    auto *port = new QHBoxLayout;
    port->addWidget(m_label1);
    port->addWidget(m_editPort);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);
    auto *top = new QVBoxLayout(this);
    top->addLayout(modes);
    top->addWidget(m_ipEdit);
    top->addWidget(m_editDomain);
    top->addLayout(port);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    m_radioIp->setChecked(true);
    m_editDomain->hide();
    m_btnOK->setDefault(true);
    m_session.attachTimer(m_timer);
    m_editDomain->installEventFilter(this);

    connect(m_radioIp, &QRadioButton::clicked, this, &TRegCamDlg::RadioIPAddressClick);
    connect(m_radioDomain, &QRadioButton::clicked, this, &TRegCamDlg::RadioDomainAddressClick);
    connect(m_btnOK, &QPushButton::clicked, this, &TRegCamDlg::BtnOKClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &TRegCamDlg::reject);
    connect(&m_session, &RegisterCameraSession::finished, this, &TRegCamDlg::sessionFinished);
}

TRegCamDlg::~TRegCamDlg() = default;

int TRegCamDlg::ShowModal()
{
    FormShow();
    return exec();
}

void TRegCamDlg::FormShow()
{
    m_session.clearReceived();
    m_radioIp->setChecked(true);
    RadioIPAddressClick();
    m_editPort->setEnabled(true);
    m_editPort->setText(QStringLiteral("32154"));
    m_ipEdit->setFocus();
}

void TRegCamDlg::RadioIPAddressClick()
{
    m_ipEdit->show();
    m_editDomain->hide();
}

void TRegCamDlg::RadioDomainAddressClick()
{
    m_ipEdit->hide();
    m_editDomain->show();
    m_editDomain->setPlaceholderText(GetString(3287, QStringLiteral("Host Name Here")));
}

void TRegCamDlg::EditDomainNameEnter()
{
    m_editDomain->clear();
}

bool TRegCamDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editDomain && event->type() == QEvent::FocusIn)
        EditDomainNameEnter();
    return QDialog::eventFilter(watched, event);
}

void TRegCamDlg::BtnOKClick()
{
    const QString target = m_radioIp->isChecked() ? m_ipEdit->text() : m_editDomain->text();
    // A name is looked up in the background first: a slow resolver never freezes the
    // window.
    if (!RegisterCameraSession::portOf(m_editPort->text(), nullptr) || !m_session.needsLookup(target)) {
        startSession(target);
        return;
    }
    setBusy(true);
    m_btnCancel->setEnabled(true);   // a slow lookup can be given up
    m_session.lookUp(target, [this, target](const QString &error) {
        if (!error.isEmpty()) {
            setBusy(false);
            m_editPort->setEnabled(true);
            m_messenger.tell(error);
            return;
        }
        setBusy(false);
        startSession(target);
    });
}

void TRegCamDlg::startSession(const QString &target)
{
    QString message;
    if (!m_session.start(target, m_editPort->text(), &message)) {
        m_messenger.tell(message);
        if (!RegisterCameraSession::portOf(m_editPort->text(), nullptr))
            m_editPort->setFocus();
        return;
    }
    setBusy(true);
}

void TRegCamDlg::timerTimer()
{
    m_session.tick();
}

void TRegCamDlg::setBusy(bool busy)
{
    for (QWidget *w : {static_cast<QWidget *>(m_btnOK), static_cast<QWidget *>(m_btnCancel),
                       static_cast<QWidget *>(m_editDomain), static_cast<QWidget *>(m_ipEdit),
                       static_cast<QWidget *>(m_radioIp), static_cast<QWidget *>(m_radioDomain)})
        w->setEnabled(!busy);
    // The port edit is enabled again by the next showing.
    if (busy)
        m_editPort->setEnabled(false);
}

void TRegCamDlg::sessionFinished(int result)
{
    if (result == RegisterCameraSession::ResultNotAccepted && !m_session.message().isEmpty())
        m_messenger.tell(m_session.message());
    Return(result);
}

void TRegCamDlg::Return(int result)
{
    m_timer->stop();
    setBusy(false);
    done(result);
}

void TRegCamDlg::reject()
{
    m_session.abortLookup();
    // While waiting the session's end returns the dialog.
    if (m_session.state() == RegisterCameraSession::State::Waiting)
        m_session.cancel();
    else
        Return(RegisterCameraSession::ResultNotAccepted);
}
