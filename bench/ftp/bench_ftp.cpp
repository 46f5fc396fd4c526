// Store of a firmware-sized file to the simulator's FTP server: FtpClient (connect to
// quit, progress flowing to a receiver on the main thread) and the whole firmware path
// (TFlashThread on its own thread, its progress notices queued to the main thread)
// against bare libcurl and the curl command line, alternating, same server and run.

#include "transfer/flash_thread.h"
#include "transfer/ftp_client.h"
#include "transfer/ftp_job.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kSize = 3145752;
constexpr int kRuns = 20;
const char *const kUser = "admin";
const char *const kPassword = "secret";

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

size_t readFile(char *data, size_t size, size_t count, void *file)
{
    return std::fread(data, size, count, static_cast<FILE *>(file));
}

// sameWire: the login commands FtpClient sends too ("TYPE I", "SYST"), so that the
// difference left is the wrapper's own.
double bareCurl(const QByteArray &url, const QString &path, bool sameWire = false)
{
    QElapsedTimer clock;
    clock.start();
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "rb");
    CURL *curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_USERNAME, kUser);
    curl_easy_setopt(curl, CURLOPT_PASSWORD, kPassword);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &readFile);
    curl_easy_setopt(curl, CURLOPT_READDATA, file);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(kSize));
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 0L);
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    curl_slist *quote = nullptr;
    if (sameWire) {
        quote = curl_slist_append(quote, "TYPE I");
        quote = curl_slist_append(quote, "*SYST");
        curl_easy_setopt(curl, CURLOPT_QUOTE, quote);
    }
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    curl_slist_free_all(quote);
    std::fclose(file);
    if (code != CURLE_OK)
        std::fprintf(stderr, "bare libcurl: %s\n", curl_easy_strerror(code));
    return clock.nsecsElapsed() / 1e6;
}

double throughClient(int port, const QString &path, qint64 *events)
{
    FtpClient client;
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(port);
    client.setUser(QLatin1StringView(kUser));
    client.setPassword(QLatin1StringView(kPassword));
    FtpJob job(&client);
    job.addStore(path, QStringLiteral("/bench_client.bin"));

    QObject receiver;
    QEventLoop loop;
    qint64 last = 0;
    int outcome = -1;
    QObject::connect(&client, &FtpClient::work, &receiver,
                     [&](FtpClient::Direction, qint64 done) { last = done; ++*events; });
    QObject::connect(&job, &FtpJob::finished, &receiver, [&](int code, const QString &error) {
        outcome = code;
        if (code != 0)
            std::fprintf(stderr, "FtpClient: %s\n", qPrintable(error));
        loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    QThread *worker = QThread::create([&job] { job.run(); });
    worker->start();
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    worker->wait();
    delete worker;
    if (outcome == 0 && last != kSize)
        std::fprintf(stderr, "FtpClient: progress ended at %lld\n", static_cast<long long>(last));
    return ms;
}

// The firmware worker as the progress window runs it: its own thread, notices queued to
// this one. excess: the most notices a run sent beyond one every 50 ms plus the first
// and the last.
double throughFlashThread(int port, const QString &path, qint64 *events, double *excess)
{
    FtpConnection c;
    c.host = QStringLiteral("127.0.0.1");
    c.port = port;
    c.user = QLatin1StringView(kUser);
    c.password = QLatin1StringView(kPassword);
    TFlashThread worker(1, FlashJob::firmwareImage(c, path, true));
    QObject receiver;
    QEventLoop loop;
    qint64 last = 0;
    qint64 notices = 0;
    bool ok = false;
    QObject::connect(&worker, &TFlashThread::progress, &receiver,
                     [&](quint64, qint64 done, qint64) { last = done; ++notices; });
    QObject::connect(&worker, &TFlashThread::finished, &receiver,
                     [&](quint64, const TransferResult &result) {
                         ok = result.ok();
                         if (!ok)
                             std::fprintf(stderr, "TFlashThread: %s\n", qPrintable(result.errorText));
                         loop.quit();
                     });
    QElapsedTimer clock;
    clock.start();
    worker.start(false);
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    worker.wait();
    if (ok && last != kSize)
        std::fprintf(stderr, "TFlashThread: progress ended at %lld\n", static_cast<long long>(last));
    *events += notices;
    *excess = std::max(*excess, notices - (2 + ms / TFlashThread::kProgressIntervalMs));
    return ms;
}

double curlCommand(int port, const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    QProcess curl;
    curl.start(QStringLiteral("curl"),
               {QStringLiteral("-s"), QStringLiteral("--disable-epsv"),
                QStringLiteral("--ftp-method"), QStringLiteral("nocwd"), QStringLiteral("-u"),
                QStringLiteral("%1:%2").arg(QLatin1StringView(kUser), QLatin1StringView(kPassword)),
                QStringLiteral("-T"), path,
                QStringLiteral("ftp://127.0.0.1:%1/%2Fbench_cli.bin").arg(port)});
    curl.waitForFinished(60000);
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qputenv("ZORA_LOOPBACK_ONLY", "1");
    QTemporaryDir root, work;
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(ZORA_SOURCE_DIR "/tools/camsim/ftpserver.py"),
                  QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--root"),
                  root.path(), QStringLiteral("--user"), QLatin1StringView(kUser),
                  QStringLiteral("--password"), QLatin1StringView(kPassword)});
    while (!server.canReadLine() && server.waitForReadyRead(15000)) {
    }
    const int port = QJsonDocument::fromJson(server.readLine()).object()
                         .value(QStringLiteral("port")).toInt();
    if (port <= 0) {
        std::fprintf(stderr, "ftpserver.py did not start\n");
        return 1;
    }

    const QString path = work.filePath(QStringLiteral("firmware.bin"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        QByteArray block(kSize, '\0');
        for (qint64 i = 0; i < kSize; ++i)
            block[i] = char((i * 31) & 0xFF);
        file.write(block);
    }
    const QByteArray url = "ftp://127.0.0.1:" + QByteArray::number(port) + "/%2Fbench_bare.bin";

    curl_global_init(CURL_GLOBAL_DEFAULT);
    bareCurl(url, path);   // warm-up: page cache, server threads
    qint64 events = 0;
    throughClient(port, path, &events);

    std::vector<double> client, bare, same, cli, flash;
    events = 0;
    qint64 flashEvents = 0;
    double flashExcess = -1e9;
    for (int i = 0; i < kRuns; ++i) {
        if (i % 2) {
            bare.push_back(bareCurl(url, path));
            client.push_back(throughClient(port, path, &events));
            flash.push_back(throughFlashThread(port, path, &flashEvents, &flashExcess));
        } else {
            flash.push_back(throughFlashThread(port, path, &flashEvents, &flashExcess));
            client.push_back(throughClient(port, path, &events));
            bare.push_back(bareCurl(url, path));
        }
        same.push_back(bareCurl(url, path, true));
        cli.push_back(curlCommand(port, path));
    }
    const double c = median(client), b = median(bare), s = median(same), l = median(cli);
    std::printf("store of %lld bytes to ftpserver.py, %d alternating runs each\n",
                static_cast<long long>(kSize), kRuns);
    std::printf("FtpClient (worker thread, %lld progress events/run): median %.1f ms\n",
                static_cast<long long>(events / kRuns), c);
    std::printf("bare libcurl curl_easy_perform:                  median %.1f ms\n", b);
    std::printf("ratio FtpClient / bare libcurl:                  %.3f\n", c / b);
    std::printf("bare libcurl with the same login commands:      median %.1f ms\n", s);
    std::printf("ratio FtpClient / bare libcurl, same commands:   %.3f\n", c / s);
    const double f = median(flash);
    std::printf("TFlashThread, the firmware path:                 median %.1f ms\n", f);
    std::printf("ratio TFlashThread / bare libcurl:               %.3f (at most 1.2)\n", f / b);
    std::printf("TFlashThread progress notices: %lld/run; beyond one per 50 ms plus first and last: %s\n",
                static_cast<long long>(flashEvents / kRuns), flashExcess > 0 ? "TOO MANY" : "none");
    std::printf("curl command line (reference):                   median %.1f ms\n", l);
    server.closeWriteChannel();
    server.waitForFinished(10000);
    return 0;
}
