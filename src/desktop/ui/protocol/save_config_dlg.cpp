#include "desktop/ui/protocol/save_config_dlg.h"

#include "desktop/ui/theme_colours.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kWidth = 300;

} // namespace

TSaveConfigDlg::TSaveConfigDlg(UdpEndpoint &endpoint, CommandResultSink *results, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , m_session(endpoint, results)
    , m_staticText1(new QLabel(this))
    , m_stcErrorMsg(new QLabel(this))
    , m_button1(new QPushButton(this))
    , m_timer1(new QTimer(this))
{
    setWindowTitle(m_session.caption());
    m_session.setHoldsNoAnswer(true);
    m_staticText1->setObjectName(QStringLiteral("StaticText1"));
    m_stcErrorMsg->setObjectName(QStringLiteral("stcErrorMsg"));
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_staticText1->setText(m_session.waitingText());
    m_staticText1->setGeometry(10, 8, 200, 40);
    m_staticText1->setWordWrap(true);
    m_button1->setGeometry(215, 14, 75, 26);
    m_stcErrorMsg->setGeometry(10, 60, 280, 48);
    m_stcErrorMsg->setWordWrap(true);
    QPalette error = m_stcErrorMsg->palette();
    error.setColor(QPalette::WindowText, ThemeColours::errorText(error));
    m_stcErrorMsg->setPalette(error);
    m_session.attachTimer(m_timer1);
    connect(&m_session, &SaveConfigSession::changed, this, &TSaveConfigDlg::refresh);
    connect(&m_session, &SaveConfigSession::finished, this, &TSaveConfigDlg::sessionFinished);
    connect(m_button1, &QPushButton::clicked, &m_session, &SaveConfigSession::pressButton);
    refresh();
}

TSaveConfigDlg::~TSaveConfigDlg()
{
    m_session.attachTimer(nullptr);
}

CommandOutcome TSaveConfigDlg::confirm(const ConfirmRequest &request)
{
    if (!m_session.prepare(request))
        return CommandOutcome::NotSent;
    // Its texts stay as they are; the title says which camera it waits for.
    setWindowTitle(request.cameraName.isEmpty() ? m_session.caption()
                                                : m_session.caption() + QStringLiteral(" — ") + request.cameraName);
    m_session.show();
    if (m_session.visible())
        exec();
    return m_session.outcome();
}

void TSaveConfigDlg::reject()
{
    // Escape and the window's close button do what Button1 does.
    if (m_session.visible())
        m_session.pressButton();
    else
        QDialog::reject();
}

void TSaveConfigDlg::refresh()
{
    // "Now updating changes..." above a refusal would say the opposite of the message.
    m_staticText1->setText(m_session.statusText());
    m_button1->setText(m_session.buttonCaption());
    m_stcErrorMsg->setText(m_session.errorText());
    m_stcErrorMsg->setVisible(m_session.errorVisible());
    setFixedSize(kWidth, m_session.height());
}

void TSaveConfigDlg::sessionFinished()
{
    if (isVisible())
        done(m_session.outcome() == CommandOutcome::Success ? QDialog::Accepted : QDialog::Rejected);
}
