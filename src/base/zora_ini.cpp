#include "base/zora_ini.h"

#include <QSaveFile>

namespace {

const QString kDefaultName = QStringLiteral("ZORA 2.0");

// The default file: the model table with its notes (in Korean and English), the OEM
// section and the application name, each line ended by CR LF.
constexpr char kDefault[] =
    "[MODELS]\r\n"
    "# 1 \xc4\xab\xb8\xde\xb6\xf3 \xb8\xf0\xb5\xa8 \xc0\xcc\xb8\xa7\xc0\xba \xbc\xad\xb7\xce \xb0\xe3\xc4\xa1\xb8\xe9 \xbe\xc8 \xb5\xcb\xb4\xcf\xb4\xd9.(Camera Model must be IDENTiCAL.)\r\n"
    "# 2 \xc3\xdf\xb0\xa1\xc7\xd2 \xc4\xab\xb8\xde\xb6\xf3 \xb8\xf0\xb5\xa8\xc0\xba \xb0\xf8\xb1\xde\xbe\xf7\xc3\xbc\xbf\xa1 \xb9\xae\xc0\xc7\xc7\xcf\xbd\xca\xbd\xc3\xbf\xc0.(Inquire about additional Camera Model)\r\n"
    "# 3 \xc7\xa5\xb1\xe2 \xb1\xd4\xc4\xa2\xc0\xba \"\xc4\xab\xb8\xde\xb6\xf3\xb8\xf0\xb5\xa8\xb9\xf8\xc8\xa3 = \xc4\xab\xb8\xde\xb6\xf3\xb8\xf0\xb5\xa8\xc0\xcc\xb8\xa7\" \xc0\xd4\xb4\xcf\xb4\xd9.(Keep this rule \"CameraModelNumber = CameraModelName\")\r\n"
    "# 4 \xb9\xf8\xc8\xa3\xbf\xcd \xc0\xcc\xb8\xa7\xc0\xbb \xc0\xd3\xc0\xc7\xb7\xce \xc3\xdf\xb0\xa1\xc7\xcf\xb8\xe9 \xc7\xc1\xb7\xce\xb1\xd7\xb7\xa5\xc0\xcc \xbf\xc0\xb5\xbf\xc0\xdb\xc7\xd2 \xbc\xf6 \xc0\xd6\xbd\xc0\xb4\xcf\xb4\xd9.(ZORA may be down when the camera model is added as you want.)\r\n"
    "0=L80\r\n"
    "1=L60\r\n"
    "2=T80K\r\n"
    "3=RX80K\r\n"
    "4=T50K\r\n"
    "5=L80K\r\n"
    "6=T80\r\n"
    "\r\n"
    "[OEM]\r\n"
    "# 1 \xc7\xc1\xb7\xce\xb1\xd7\xb7\xa5 \xbe\xc6\xc0\xcc\xc4\xdc \xc6\xc4\xc0\xcf\xc0\xba \xc7\xd7\xbb\xf3 \xc7\xc1\xb7\xce\xb1\xd7\xb7\xa5\xb0\xfa \xb0\xb0\xc0\xba \xc6\xfa\xb4\xf5\xbf\xa1 \xb5\xce\xbd\xca\xbd\xc3\xbf\xc0.(Always Place the Icon file on the same path to ZORA)\r\n"
    "# 2 \xbe\xc6\xc0\xcc\xc4\xdc \xc6\xc4\xc0\xcf\xc0\xcc \xbe\xf8\xc0\xb8\xb8\xe9 \xc7\xc1\xb7\xce\xb1\xd7\xb7\xa5 \xb1\xe2\xba\xbb \xbe\xc6\xc0\xcc\xc4\xdc\xc0\xbb \xbb\xe7\xbf\xeb\xc7\xd5\xb4\xcf\xb4\xd9.(If no icon file, ZORA uses default icon file.\r\n"
    "# 3 \xbe\xc6\xc0\xcc\xc4\xdc \xc6\xc4\xc0\xcf\xc0\xcc \xbe\xf8\xc0\xb8\xb8\xe9 \xc7\xc1\xb7\xce\xb1\xd7\xb7\xa5 \xb1\xe2\xba\xbb \xbe\xc6\xc0\xcc\xc4\xdc\xc0\xbb \xbb\xe7\xbf\xeb\xc7\xd5\xb4\xcf\xb4\xd9.(If no icon file, ZORA uses default icon file.\r\n"
    "COMPANY=\r\n"
    "ICON=zora.ico\r\n"
    "\r\n"
    "[ZORA]\r\n"
    "APPNAME=ZORA 2.0\r\n";

} // namespace

ZoraIni::ZoraIni(const QString &appDir)
    : m_file(appDir + QStringLiteral("zora.ini"))
{
}

QByteArray ZoraIni::defaultContents()
{
    return QByteArray(kDefault, sizeof(kDefault) - 1);
}

bool ZoraIni::ensureExists()
{
    if (m_file.exists())
        return true;
    QSaveFile file(m_file.path());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray contents = defaultContents();
    if (file.write(contents) != contents.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString ZoraIni::appName(bool writeBack)
{
    QString name = QString::fromUtf8(m_file.readString("ZORA", "APPNAME", ""));
    if (name.size() < 3) {
        name = kDefaultName;
        if (writeBack)
            write("APPNAME", name.toUtf8());
    }
    return name;
}

QString ZoraIni::guardAppName() const
{
    if (!m_file.exists())
        return {};
    const QString name = QString::fromUtf8(m_file.readString("ZORA", "APPNAME", ""));
    return name.size() < 3 ? kDefaultName : name;
}

void ZoraIni::writeHandle(qint64 handle)
{
    write("HANDLE", QByteArray::number(handle));
}

void ZoraIni::write(QByteArrayView key, QByteArrayView value)
{
    // Start-up writes two keys; one message about the same file is enough.
    if (!m_file.writeString("ZORA", key, value) && m_problem.isEmpty()) {
        m_problem = m_file.errorString();
        qWarning("%s", qUtf8Printable(m_problem));
    }
}

QList<QString> ZoraIni::models() const
{
    const QByteArray contents = m_file.contents().value_or(QByteArray());
    QList<QString> names;
    for (int n = 0; n < kMaxModelKeys; ++n) {
        const QByteArray name =
            ProfileFile::lookup(contents, "MODELS", QByteArray::number(n), "Not Found");
        if (name == "Not Found")
            break;
        names.append(QString::fromUtf8(name));
    }
    return names;
}

QString ZoraIni::oemIcon() const
{
    return QString::fromUtf8(m_file.readString("OEM", "ICON", ""));
}

QString ZoraIni::oemAppName() const
{
    return QString::fromUtf8(m_file.readString("OEM", "APPNAME", ""));
}
