#include "desktop/ui/transfer/open_file_dialog.h"

#include <QFileDialog>

QString QtFileFilter(const QString &filter)
{
    if (filter.isEmpty())
        return QString();
    QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts.at(i + 1);
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(u';', u' ');
        filters.append(parts.at(i) + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

QString RunOpenFileDialog(QWidget *parent, const QString &title, const QString &filter,
                          const QString &initialName)
{
    QFileDialog dialog(parent, title, QString(), QtFileFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!initialName.isEmpty())
        dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}
