// The desktop tool.
#include "app/app_options.h"
#include "app/running_copy_guard.h"
#include "app/shared_routines.h"
#include "app/string_table.h"
#include "app/ui/main_window.h"
#include "app/zora_ini.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <exception>

namespace {

int run(QApplication &app, const AppOptions &options)
{
    TMultiLang::Load(3000, 306);

    RunningCopyGuard guard(ApplicationPath());
    if (guard.notifyRunningCopy())
        return 0;
    if (!guard.claim() && guard.notifyRunningCopy())
        return 0; // another copy started at the same moment and won

    // The title is that of an existing settings file; a first start keeps Qt's own.
    const QString title = ZoraIni(ApplicationPath()).guardAppName();

    TAdminToolDlg window(options);
    QObject::connect(&guard, &RunningCopyGuard::activationRequested, &window,
                     &TAdminToolDlg::bringToFront);
    window.setUp();
    if (!title.isEmpty())
        QApplication::setApplicationDisplayName(title);
    window.show();
    const int status = app.exec();
    TMultiLang::Free();
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    AppOptions options;
    QString error;
    if (!options.take(args, &error) || !args.isEmpty()) {
        if (error.isEmpty())
            error = QStringLiteral("unknown argument: ") + args.first();
        std::fprintf(stderr, "zora: %s\nUsage: zora [options]\n%s", qPrintable(error),
                     qPrintable(AppOptions::usage()));
        return 2;
    }
    if (options.help) {
        std::printf("Usage: zora [options]\nAdministration tool for ZORA network cameras.\n%s",
                    qPrintable(AppOptions::usage()));
        return 0;
    }
    bool fellBack = false;
    SetApplicationPath(options.resolveAppDir(QCoreApplication::applicationDirPath(), &fellBack));
    if (fellBack)
        std::fprintf(stderr, "zora: the program's directory is not writable; using %s\n",
                     qPrintable(ApplicationPath()));
    try {
        return run(app, options);
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, QStringLiteral("Caption"),
                              QStringLiteral("Program is terminating via ")
                                  + QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
