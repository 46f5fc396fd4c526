#include "desktop/ui/export_file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QObject>

QString ExportFileDialog::ask(QWidget *parent, const QString &title)
{
    const QString csv = QObject::tr("CSV (*.csv)");
    const QString json = QObject::tr("JSON (*.json)");
    QString chosen;
    const QString path =
        QFileDialog::getSaveFileName(parent, title, QDir::homePath(), csv + QStringLiteral(";;") + json, &chosen);
    return path.isEmpty() ? QString() : fileName(path, chosen == json);
}

QString ExportFileDialog::fileName(const QString &typed, bool json)
{
    const QString suffix = QFileInfo(typed).suffix().toLower();
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("json"))
        return typed;
    return typed + (json ? QStringLiteral(".json") : QStringLiteral(".csv"));
}
