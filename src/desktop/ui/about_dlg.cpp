#include "desktop/ui/about_dlg.h"

#include "base/shared_routines.h"
#include "base/zora_ini.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPixmap builtInPicture()
{
    QPixmap pix(96, 96);
    pix.fill(QColor(0x1f, 0x3a, 0x5f));
    QPainter p(&pix);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    f.setPointSize(20);
    p.setFont(f);
    p.drawText(pix.rect(), Qt::AlignCenter, QStringLiteral("ZORA"));
    return pix;
}

} // namespace

QString TAboutDlg::pictureFile(const QString &appDir)
{
    const QString beside = appDir + QStringLiteral("zora.bmp");
    if (QFile::exists(beside))
        return beside;
    const QString images = appDir + QStringLiteral("images") + QDir::separator()
                           + QStringLiteral("zora.bmp");
    return QFile::exists(images) ? images : QString();
}

TAboutDlg::TAboutDlg(const QString &appName, QWidget *parent)
    : QDialog(parent)
    , m_picture(new QLabel(this))
{
    setObjectName(QStringLiteral("TAboutDlg"));
    const QString oem = ZoraIni(ApplicationPath()).oemAppName();
    setWindowTitle(QStringLiteral("About ") + (oem.isEmpty() ? appName : oem));

    m_picture->setObjectName(QStringLiteral("Image1"));
    const QString file = pictureFile(ApplicationPath());
    QPixmap pix;
    if (file.isEmpty() || !pix.load(file))
        pix = builtInPicture();
    m_picture->setPixmap(pix);
    m_picture->setCursor(Qt::PointingHandCursor);
    m_picture->installEventFilter(this);

    auto *name = new QLabel(appName, this);
    name->setObjectName(QStringLiteral("ProductName"));
    auto *notice = new QLabel(
        QStringLiteral("Notice: this program is protected by copyright law.\n"
                       "Administration tool for ZORA network cameras."), this);
    notice->setObjectName(QStringLiteral("Copyright"));
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_picture, 0, Qt::AlignHCenter);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    layout->addWidget(notice);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

bool TAboutDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_picture && event->type() == QEvent::MouseButtonRelease) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
