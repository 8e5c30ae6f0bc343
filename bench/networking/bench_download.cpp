// Show download figures on loopback, against a private nginx:
//  - 1 GiB through the show downloader (staging, SHA-256, rename) next to
//    curl on the same server, and the progress signals that reach the GUI;
//  - the CPU time of SHA-256 over the same file;
//  - ValidateDownloadPlan on a 2 GiB show, without and with its record.
// Files are in the page cache (written just before), so the figures show the
// client's own cost rather than the disk's.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "ShowServer.h"
#include "show/ShowDownloaderController.h"
#include "ui/QmlEngineSetup.h"
#include "vand_networking_http/NetworkApiInterface.h"
#include "vand_networking_http/Sha256.h"

Q_IMPORT_QML_PLUGIN(com_tarnwick_musical_uiPlugin)

namespace fs = std::filesystem;
using vand::networking::DownloadPlan;
using vand::networking::NetworkApiInterface;
using vand::networking::ServerConfig;

namespace {

constexpr std::int64_t kFileBytes = std::int64_t(1) << 30;

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void WriteBigFile(const fs::path& file)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = char(i * 31 + 7);
    for (std::int64_t written = 0; written < kFileBytes; written += std::int64_t(block.size())) {
        block[0] = char(written >> 20);
        out.write(block.data(), std::streamsize(block.size()));
    }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MiBps(std::int64_t bytes, double seconds)
{
    return bytes / 1048576.0 / seconds;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const fs::path base = dir.path().toStdString();

    vand::test::ShowServer server;
    if (!server.Start()) {
        std::fprintf(stderr, "nginx: %s\n", qPrintable(server.Error()));
        return 1;
    }
    const fs::path served = server.Root() / "shows" / "b" / "files" / "big.bin";
    WriteBigFile(served);

    const double cpu0 = CpuSeconds();
    QElapsedTimer hashTimer;
    hashTimer.start();
    const std::string sha = vand::networking::Sha256OfFile(served);
    const double hashWall = hashTimer.nsecsElapsed() / 1e9;
    const double hashCpu = CpuSeconds() - cpu0;
    std::printf("SHA-256 of 1 GiB: %.2f s CPU, %.2f s wall (%.0f MiB/s)\n", hashCpu, hashWall,
                MiBps(kFileBytes, hashWall));

    server.WriteFile("shows/b/files.json", QByteArray("[{\"path\": \"big.bin\", \"kind\": \"AUDIO\", \"size\": ")
                                               + QByteArray::number(qint64(kFileBytes)) + ", \"sha256\": \""
                                               + QByteArray::fromStdString(sha) + "\"}]");

    QQmlEngine engine;
    vand::qt::PrepareQmlEngine(engine);
    NetworkApiInterface api(ServerConfig{server.ApiBase(), {}, {}});
    api.SetShowIdentity({"b", "B", "Org", "shows/b"}, 1);
    auto files = api.GetAllShowFiles();
    if (!files.HasValue()) {
        std::fprintf(stderr, "file list: %s\n", files.GetDisplayMessage().c_str());
        return 1;
    }
    const fs::path show = base / "show";

    // Runs alternate, so that load from elsewhere on the machine touches both.
    constexpr int kRuns = 5;
    std::vector<double> curlTimes, downloadTimes, rates;
    for (int run = 0; run < kRuns; ++run) {
        // curl on the same server, into the same file system (curl does not
        // flush to disk; the downloader does before its rename).
        const QString curlOut = QString::fromStdString((base / "curl.bin").string());
        QElapsedTimer curlTimer;
        curlTimer.start();
        QProcess curl;
        curl.start("curl", {"-s", "-o", curlOut, QString::fromStdString(server.ApiBase() + "shows/b/files/big.bin")});
        curl.waitForFinished(-1);
        curlTimes.push_back(curlTimer.nsecsElapsed() / 1e9);
        fs::remove(curlOut.toStdString());

        // The show downloader, as the Launcher runs it.
        fs::remove_all(show);
        auto plan = std::make_unique<DownloadPlan>(
            api.ValidateDownloadPlan(api.GetDownloadPlan(*files.GetValue()), show.string()));
        std::atomic<int> forwarded{0};
        bool done = false;
        QElapsedTimer downloadTimer;
        {
            vand::qt::ShowDownloaderController downloader(&engine, nullptr, 1);
            QObject::connect(&downloader, &vand::qt::ShowDownloaderController::totalProgressChanged,
                             [&] { ++forwarded; });
            QEventLoop loop;
            QObject::connect(&downloader, &vand::qt::ShowDownloaderController::DownloadFinishedSignal, &loop, [&] {
                done = true;
                loop.quit();
            });
            QObject::connect(&downloader, &vand::qt::ShowDownloaderController::Cancelled, &loop, &QEventLoop::quit);
            downloadTimer.start();
            downloader.Download({"b", "B", "Org", "shows/b"}, std::move(plan));
            loop.exec();
        }
        if (!done) {
            std::fprintf(stderr, "the download did not complete\n");
            return 1;
        }
        downloadTimes.push_back(downloadTimer.nsecsElapsed() / 1e9);
        rates.push_back(forwarded / downloadTimes.back());
        std::printf("run %d: curl %.2f s (%.0f MiB/s), show downloader %.2f s (%.0f MiB/s, %.0f %% of curl), "
                    "%d progress updates (%.1f per second)\n",
                    run + 1, curlTimes.back(), MiBps(kFileBytes, curlTimes.back()), downloadTimes.back(),
                    MiBps(kFileBytes, downloadTimes.back()), 100.0 * curlTimes.back() / downloadTimes.back(),
                    forwarded.load(), rates.back());
    }
    const double curlMedian = Median(curlTimes);
    const double downloadMedian = Median(downloadTimes);
    std::printf("median of %d, 1 GiB: curl %.2f s (%.0f MiB/s), show downloader %.2f s (%.0f MiB/s) = %.0f %% of curl; "
                "at most %.1f progress updates per second (each is one progressChanged and one "
                "totalProgressChanged)\n",
                kRuns, curlMedian, MiBps(kFileBytes, curlMedian), downloadMedian, MiBps(kFileBytes, downloadMedian),
                100.0 * curlMedian / downloadMedian, *std::max_element(rates.begin(), rates.end()));

    // A 2 GiB show: the downloaded file and a second one beside it.
    fs::copy_file(show / "big.bin", show / "big2.bin");
    DownloadPlan twoGiB = api.GetDownloadPlan(*files.GetValue());
    twoGiB.files.push_back(twoGiB.files[0]);
    twoGiB.files.back().path = "big2.bin";
    fs::remove(show / ".download-record.json");
    QElapsedTimer validateTimer;
    validateTimer.start();
    const bool freshOk = api.ValidateDownloadPlan(twoGiB, show.string()).empty();
    const double withoutRecord = validateTimer.nsecsElapsed() / 1e9;
    validateTimer.restart();
    const bool recordOk = api.ValidateDownloadPlan(twoGiB, show.string()).empty();
    const double withRecord = validateTimer.nsecsElapsed() / 1e9;
    std::printf("ValidateDownloadPlan, 2 GiB show: %.3f s without its record, %.6f s with it (%s)\n", withoutRecord,
                withRecord, freshOk && recordOk ? "up to date" : "UNEXPECTED: files to fetch");
    return 0;
}
