// The desktop tool.
#include "base/app_options.h"
#include "base/heap_tuning.h"
#include "base/running_copy_guard.h"
#include "base/shared_routines.h"
#include "base/string_table.h"
#include "base/zora_ini.h"
#include "base/messenger.h"
#include "desktop/site_action_inputs.h"
#include "desktop/site_jobs.h"
#include "desktop/ui/main_window.h"
#include "site/job_board.h"
#include "transfer/flash_job.h"
#include "fileconfig/page_settings.h"
#include "protocol/camera_network.h"
#include "protocol/config_item.h"
#include "protoconfig/credentials.h"

#include <QApplication>
#include <QSize>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <exception>

namespace {

// The documentation pictures log in as the simulator's administrator.
class ScreenshotPrompt final : public CredentialPrompt
{
public:
    std::optional<LoginEntry> askCredentials(const FtpConnectionSetting *ftp) override
    {
        LoginEntry e;
        e.id = QStringLiteral("root");
        e.password = QStringLiteral("pass");
        e.portText = ftp ? QString::number(ftp->port) : QString();
        return e;
    }
};

// The rollout the jobs pane's picture is taken in the middle of: an image of the right
// size, a canary first.
class ScreenshotInputs final : public SiteActionInputs
{
public:
    QString image;
    QString backupFolder(int) override { return {}; }
    std::optional<Restore> restoreFrom(int) override { return std::nullopt; }
    std::optional<FirmwareRollout::Job> firmwareJob(int) override
    {
        FirmwareRollout::Job job;
        job.image = image;
        job.parallel = 2;
        return job;
    }
    std::optional<Field> fieldToSet(int) override { return std::nullopt; }
    QString planFile() override { return {}; }
    bool confirmPlan(const PlanCheck &) override { return false; }
};

bool grabInto(TAdminToolDlg &window, const QString &file)
{
    const bool saved = window.grab().save(file);
    std::fprintf(saved ? stdout : stderr, "zora: %s %s\n", saved ? "saved" : "could not save",
                 qPrintable(file));
    return saved;
}

// The window with an open menu drawn where it opened: a popup is a window of its own,
// which grabbing the main window leaves out.
bool grabWithMenu(TAdminToolDlg &window, QMenu *menu, const QString &file)
{
    QCoreApplication::processEvents();
    QPixmap shot = window.grab();
    if (menu->isVisible()) {
        QPainter painter(&shot);
        painter.drawPixmap(window.mapFromGlobal(menu->pos()), menu->grab());
    }
    menu->close();
    const bool saved = shot.save(file);
    std::fprintf(saved ? stdout : stderr, "zora: %s %s\n", saved ? "saved" : "could not save",
                 qPrintable(file));
    return saved;
}

void selectFirst(TAdminToolDlg &window, bool protocolConfigured)
{
    CameraList &list = window.core().list();
    for (int row = 0; row < list.count(); ++row) {
        const TConfigItem *camera = window.core().registry().recordOfRow(row);
        if (camera && TConfigItem::isProtocolConfigured(camera->modelCode()) == protocolConfigured) {
            window.cameraList()->selectionModel()->select(
                list.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            return;
        }
    }
}

// Every camera of the first file-configured camera's model selected, a rollout to them
// started and the window taken as the canary's image goes up; then the job cancelled
// (the canary finishes) and waited for.
bool grabRollout(TAdminToolDlg &window, const QString &file)
{
    CameraList &list = window.core().list();
    QString model;
    for (int row = 0; row < list.count() && model.isEmpty(); ++row) {
        const TConfigItem *camera = window.core().registry().recordOfRow(row);
        if (camera && TConfigItem::isFileConfigured(camera->modelCode()))
            model = camera->modelNameText();
    }
    QItemSelection rows;
    for (int row = 0; row < list.count(); ++row) {
        const TConfigItem *camera = window.core().registry().recordOfRow(row);
        if (camera && camera->modelNameText() == model)
            rows.select(list.index(row, 0), list.index(row, 0));
    }
    window.cameraList()->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect
                                                            | QItemSelectionModel::Rows);
    static ScreenshotInputs inputs;
    inputs.image = QDir(ApplicationPath()).filePath(QStringLiteral("temp/demo-image.bin"));
    QFile image(inputs.image);
    if (!image.open(QIODevice::WriteOnly) || image.write(QByteArray(kFlashImageSize, '\x5a')) != kFlashImageSize)
        return false;
    image.close();
    window.setSiteActionInputs(&inputs);
    JobBoard &board = window.core().jobs().board();
    bool saved = false, taken = false;
    const QMetaObject::Connection watch = QObject::connect(&board, &JobBoard::dataChanged, &window, [&] {
        bool uploading = false;
        for (int row = 0; row < board.rowCount(); ++row)
            uploading = uploading || board.data(board.index(row, JobBoard::ColDetail)).toString().startsWith(QStringLiteral("uploading"));
        if (taken || !uploading)
            return;
        taken = true;
        QTimer::singleShot(0, &window, [&] {
            saved = grabInto(window, file);
            window.core().jobs().cancel();
        });
    });
    window.runSiteAction(QStringLiteral("UpdateFirmware1"));
    QObject::disconnect(watch);
    QFile::remove(inputs.image);
    QFile::remove(SiteJobs::rolloutLogOf(inputs.image));
    window.setSiteActionInputs(nullptr);
    if (!taken)
        std::fprintf(stderr, "zora: no rollout to take a picture of (%s)\n", qPrintable(board.totals()));
    return saved;
}

// Hidden option for the documentation pictures: scan; the first protocol-configured
// camera's page into `file`; then the first file-configured camera's Network Info,
// Stream Server and Event Server pages beside it, and that camera with the Camera menu
// and the context menu open; quit.
void scheduleScreenshot(TAdminToolDlg &window, const QString &file)
{
    static ScreenshotPrompt prompt;
    window.setCredentialPrompt(&prompt);
    QTimer::singleShot(300, &window, [&window] { window.core().scan(); });
    QTimer::singleShot(2000, &window, [&window] { selectFirst(window, true); });
    QTimer::singleShot(2600, &window, [&window, file] {
        bool saved = grabInto(window, file);
        const QString dir = QFileInfo(file).absolutePath() + QLatin1Char('/');
        selectFirst(window, false);
        QCoreApplication::processEvents();
        saved = grabInto(window, dir + QStringLiteral("file-network-info.png")) && saved;
        // Each page is fetched from the simulated camera while the tab changes.
        window.category()->setCurrentIndex(int(FileTab::StreamServer));
        QCoreApplication::processEvents();
        saved = grabInto(window, dir + QStringLiteral("file-stream-server.png")) && saved;
        window.category()->setCurrentIndex(int(FileTab::EventServer));
        QCoreApplication::processEvents();
        saved = grabInto(window, dir + QStringLiteral("file-event-server.png")) && saved;
        // The menus that reach the dialogs, over the file-configured camera's pages.
        window.category()->setCurrentIndex(int(FileTab::NetworkInfo));
        QCoreApplication::processEvents();
        QMenuBar *bar = window.menuBar();
        window.cameraMenu()->popup(bar->mapToGlobal(bar->actionGeometry(window.cameraMenu()->menuAction()).bottomLeft()));
        saved = grabWithMenu(window, window.cameraMenu(), dir + QStringLiteral("camera-menu.png")) && saved;
        QTreeView *list = window.cameraList();
        const QRect row = list->visualRect(list->selectionModel()->selectedRows().value(0));
        window.popupMenu()->popup(list->viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint(40, 40)));
        saved = grabWithMenu(window, window.popupMenu(), dir + QStringLiteral("context-menu.png")) && saved;
        saved = grabRollout(window, dir + QStringLiteral("jobs-pane.png")) && saved;
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

int run(QApplication &app, const AppOptions &options, const QString &screenshot, const QSize &size)
{
    TMultiLang::Load(3000, 306);

    RunningCopyGuard guard(ApplicationPath());
    if (guard.notifyRunningCopy())
        return 0;
    if (!guard.claim() && guard.notifyRunningCopy())
        return 0; // another copy started at the same moment and won

    // The title is that of an existing settings file; a first start keeps Qt's own.
    const QString title = ZoraIni(ApplicationPath()).guardAppName();

    // The documentation pictures answer their questions Yes.
    ScriptedMessenger yes;
    yes.setHook([](const ScriptedMessenger::Shown &box) {
        std::fprintf(stderr, "zora: answered Yes: %s\n", qPrintable(box.text.simplified()));
    });
    TAdminToolDlg window(options, screenshot.isEmpty() ? nullptr : &yes);
    QObject::connect(&guard, &RunningCopyGuard::activationRequested, &window,
                     &TAdminToolDlg::bringToFront);
    window.setUp();
    if (!title.isEmpty())
        QApplication::setApplicationDisplayName(title);
    if (size.isValid())
        window.resize(size);
    window.show();
    if (!screenshot.isEmpty())
        scheduleScreenshot(window, screenshot);
    const int status = app.exec();
    TMultiLang::Free();
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    TuneHeapForLongLists();
    // Help and version need no display: answered before the window system is opened.
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--")
            break;
        if (a == "--version" || a == "-V") {
            std::printf("%s\n", qPrintable(AppOptions::versionLine(QStringLiteral("zora"))));
            return 0;
        }
        if (a == "--help" || a == "-h") {
            std::printf("Usage: zora [options]\nAdministration tool for ZORA network cameras.\n%s",
                        qPrintable(AppOptions::usage()));
            return 0;
        }
    }
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    QString screenshot;
    if (const qsizetype at = args.indexOf(QStringLiteral("--screenshot")); at >= 0 && at + 1 < args.size()) {
        screenshot = args.at(at + 1);
        args.remove(at, 2);
    }
    // The pictures are taken at given window sizes ("1100x640").
    QSize size;
    if (const qsizetype at = args.indexOf(QStringLiteral("--screenshot-size")); at >= 0 && at + 1 < args.size()) {
        const QStringList wh = args.at(at + 1).split(QLatin1Char('x'));
        if (wh.size() == 2)
            size = QSize(wh[0].toInt(), wh[1].toInt());
        args.remove(at, 2);
    }
    AppOptions options;
    QString error;
    if (!options.take(args, &error) || !args.isEmpty()) {
        if (error.isEmpty())
            error = QStringLiteral("unknown argument: ") + args.first();
        std::fprintf(stderr, "zora: %s\nUsage: zora [options]\n%s", qPrintable(error),
                     qPrintable(AppOptions::usage()));
        return 2;
    }
    const AppPaths paths = options.resolvePaths(QCoreApplication::applicationDirPath());
    paths.apply();
    for (const QString &line : paths.moveOlderFiles(AppPaths::olderDir()))
        std::fprintf(stderr, "zora: moved the file of an older version %s\n", qPrintable(line));
    try {
        return run(app, options, screenshot, size);
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, QStringLiteral("Caption"),
                              QStringLiteral("Program is terminating via ")
                                  + QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
