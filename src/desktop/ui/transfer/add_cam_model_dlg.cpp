#include "desktop/ui/transfer/add_cam_model_dlg.h"

#include "base/messenger.h"
#include "base/string_table.h"
#include "fileconfig/camera_update.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TAddCamModelDlg::TAddCamModelDlg(Messenger &messenger, QWidget *parent)
    : QDialog(parent)
    , m_messenger(messenger)
    , m_chooser(RunOpenFileDialog)
    , m_edit1(new QLineEdit(this))
    , m_button1(new QPushButton(GetString(3062, QStringLiteral("Browse...")), this))
    , m_bitBtn1(new QPushButton(GetString(3300, QStringLiteral("OK")), this))
    , m_bitBtn2(new QPushButton(GetString(3301, QStringLiteral("Cancel")), this))
{
    setObjectName(QStringLiteral("AddCamModelDlg"));
    setWindowTitle(GetString(3294, QStringLiteral("Add Control Daemon")));
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setReadOnly(true);
    m_edit1->setMinimumWidth(m_edit1->fontMetrics().averageCharWidth() * 48);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    m_bitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    m_bitBtn1->setDefault(true);
    auto *row = new QHBoxLayout;
    row->addWidget(m_edit1, 1);
    row->addWidget(m_button1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_bitBtn1);
    buttons->addWidget(m_bitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_button1, &QPushButton::clicked, this, &TAddCamModelDlg::Button1Click);
    connect(m_bitBtn1, &QPushButton::clicked, this, &TAddCamModelDlg::BitBtn1Click);
    connect(m_bitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

QString TAddCamModelDlg::path() const
{
    return m_edit1->text();
}

std::optional<QString> TAddCamModelDlg::choose()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return path();
}

void TAddCamModelDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The browser opens once the dialog is up.
    QTimer::singleShot(0, this, &TAddCamModelDlg::Button1Click);
}

void TAddCamModelDlg::Button1Click()
{
    const QString chosen =
        m_chooser(this, QStringLiteral("Browse Camera Control Daemon"), QString(), QString());
    if (!chosen.isEmpty())
        m_edit1->setText(chosen);
}

void TAddCamModelDlg::BitBtn1Click()
{
    if (const auto refusal = CameraUpdate::daemonPathRefusal(path())) {
        m_messenger.tell(*refusal, GetString(3169, QStringLiteral("WARNING")), Messenger::Style::Error);
        return;
    }
    accept();
}
