// The score view on a 300-page package of A4 pages at 150 dpi.
//
//   bench_scoreview [--pages N]
//
// Writes the package once, then runs itself twice as a child, each with a
// fresh process: once as the application shows pages (the score controller
// and its image provider), once with every page a data: URL made on the GUI
// thread. Each child measures, in a 1366 x 768 window:
//   first page   LoadScore (or building the data: URLs) to the first page Ready
//   turn         a page event to the new page Ready, every page in turn, twice
//   rss          resident memory after the first page and after each pass
// Run it on the platform to measure (e.g. xcb under Xvfb, or offscreen).

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ProcessMemory.h"
#include "TarWriter.h"
#include "app/AppQmlEngineSetup.h"
#include "cmn/ShowIdentity.h"
#include "kit/File.h"
#include "show/ScorePackage.h"
#include "show/ScoreViewController.h"
#include "ui/QmlController.h"

namespace fs = std::filesystem;
using vand::bench::ResidentKb;

namespace {

const QUrl kViewUrl("qrc:/qt/qml/com/tarnwick/musical_ui/qml/ScoreView.qml");

// One A4 page at 150 dpi: a title, twelve staves of notes with lyrics, the
// page number.
QByteArray PagePng(int page)
{
    QImage image(1240, 1754, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont title("DejaVu Serif");
    title.setPixelSize(44);
    p.setFont(title);
    p.drawText(QRect(0, 60, 1240, 60), Qt::AlignCenter, QStringLiteral("No. %1").arg(1 + page / 12));
    QFont small("DejaVu Sans");
    small.setPixelSize(24);
    p.setFont(small);
    p.drawText(QRect(0, 1680, 1240, 40), Qt::AlignCenter, QString::number(page));
    QFont lyric("DejaVu Serif");
    lyric.setPixelSize(20);
    lyric.setItalic(true);
    p.setBrush(Qt::black);
    for (int system = 0; system < 12; ++system) {
        const int top = 180 + system * 122;
        p.setPen(QPen(Qt::black, 2));
        for (int line = 0; line < 5; ++line)
            p.drawLine(100, top + line * 14, 1140, top + line * 14);
        for (int note = 0; note < 24; ++note) {
            const double x = 130 + note * 42.5;
            const double y = top + 56 - ((page * 7 + system * 5 + note * 3) % 11) * 7;
            p.drawEllipse(QPointF(x, y), 8, 6);
            p.drawLine(QPointF(x + 7.5, y), QPointF(x + 7.5, y - 45));
            if (note % 4 == 3)
                p.drawLine(QPointF(x + 21, top), QPointF(x + 21, top + 56));
            if (note % 2 == 1) {
                p.setPen(QPen(Qt::black, 5));
                p.drawLine(QPointF(x - 35, y - 45 + (note % 3)), QPointF(x + 7.5, y - 45));
                p.setPen(QPen(Qt::black, 2));
            }
        }
        p.setFont(lyric);
        QString words;
        for (int w = 0; w < 16; ++w)
            words += QStringLiteral("la%1 ").arg((page * 31 + system * 7 + w * 13) % 97);
        p.drawText(QRect(100, top + 62, 1040, 30), Qt::AlignLeft, words);
    }
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

std::string WritePackage(int pages)
{
    std::vector<QByteArray> pngs(static_cast<std::size_t>(pages));
    const unsigned workers = std::max(1u, std::min(6u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            for (int i = int(w); i < pages; i += int(workers))
                pngs[std::size_t(i)] = PagePng(i + 1);
        });
    }
    for (auto& t : threads)
        t.join();

    std::vector<vand::tools::TarEntry> entries;
    for (int i = 0; i < pages; ++i)
        entries.push_back({"page" + std::to_string(i + 1) + ".png", pngs[std::size_t(i)].toStdString()});
    return vand::tools::WriteTar(entries);
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

int Child(bool dataUrls)
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    int argc = 1;
    char name[] = "bench_scoreview";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    QQmlEngine engine;
    vand::qt::PrepareAppQmlEngine(engine);
    QQuickWindow window;
    window.resize(1366, 768);
    vand::qt::QmlController view(&engine, kViewUrl, nullptr, true);
    auto* item = qobject_cast<QQuickItem*>(view.GetQmlObject());
    if (!item)
        return 1;
    item->setParentItem(window.contentItem());
    item->setSize(window.size());
    window.show();
    auto* shown = item->findChild<QQuickItem*>(QStringLiteral("leftPageShown"));

    const auto waitForPage = [&](const QString& url) {
        while (item->property("currentImage1").toString() != url || shown->property("status").toInt() != 1)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    };
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const long baseKb = ResidentKb();

    // The data: URL form keeps what the controller of that form keeps: the
    // package bytes, the pages and their URLs.
    std::string packageBytes;
    std::vector<vand::show::ScorePage> pages;
    QStringList urls;
    std::unique_ptr<vand::qt::ScoreViewController> controller;

    QElapsedTimer clock;
    clock.start();
    if (dataUrls) {
        packageBytes = kit::ReadWholeFile(Directories::GetShowDirectory() + "/score.score", 1u << 30);
        pages = vand::show::ReadScorePackage(packageBytes);
        QVariantList numbers;
        for (const auto& page : pages) {
            urls << QStringLiteral("data:image/png;base64,")
                        + QString::fromLatin1(
                            QByteArray::fromRawData(page.png.data(), qsizetype(page.png.size())).toBase64());
            numbers << page.number;
        }
        item->setProperty("pageNumbers", numbers);
        item->setProperty("imageListModel", urls);
        QMetaObject::invokeMethod(item, "updateImages", Qt::QueuedConnection);
    } else {
        controller = std::make_unique<vand::qt::ScoreViewController>(item, nullptr, nullptr, &engine);
        controller->LoadScore();
        // Read on a worker: the list arrives through the event loop.
        while (controller->IsReading())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        urls = item->property("imageListModel").toStringList();
    }
    if (urls.isEmpty())
        return 1;
    waitForPage(urls[0]);
    const double firstMs = clock.nsecsElapsed() / 1e6;
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const long loadedKb = ResidentKb();

    // Two passes through every page: the first fills Qt Quick's caches and
    // the allocator's pools, the second shows whether memory still grows.
    std::vector<double> turns;
    long passKb[2] = {0, 0};
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < urls.size(); ++i) {
            const int index = (i + 1) % int(urls.size());
            clock.restart();
            if (controller)
                controller->SetCurrentPage(index + 1);
            else
                item->setProperty("currentIndex", index);
            waitForPage(urls[index]);
            turns.push_back(clock.nsecsElapsed() / 1e6);
        }
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        passKb[pass] = ResidentKb();
    }
    std::printf("first_ms=%.2f turn_median_ms=%.2f turn_p95_ms=%.2f base_kb=%ld loaded_kb=%ld pass1_kb=%ld "
                "pass2_kb=%ld\n",
                firstMs, Percentile(turns, 0.5), Percentile(turns, 0.95), baseKb, loadedKb, passKb[0], passKb[1]);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--child") == 0)
        return Child(std::strcmp(argv[2], "data-url") == 0);
    int pageCount = 300;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--pages") == 0)
            pageCount = std::max(1, std::atoi(argv[++i]));
    }

    QGuiApplication application(argc, argv);
    QTemporaryDir home;
    const fs::path data = fs::path(home.path().toStdString()) / "pelorin";
    const fs::path show = data / "shows" / "bench";
    fs::create_directories(show);
    vand::ShowIdentityService(data).SetCurrent({"bench", "Bench Show", "Bench Company", "shows/bench"});
    QElapsedTimer writing;
    writing.start();
    const std::string package = WritePackage(pageCount);
    kit::WriteFileAtomically(show / "score.score", package);
    std::printf("package: %d pages of 1240 x 1754, %.1f MiB, written in %.1f s\n", pageCount,
                double(package.size()) / (1 << 20), writing.elapsed() / 1000.0);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    for (const char* form : {"provider", "data-url"}) {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), QString::fromLatin1(form)});
        if (!child.waitForFinished(600000) || child.exitCode() != 0) {
            std::cerr << form << " failed\n";
            return 1;
        }
        double first = 0, median = 0, p95 = 0;
        long base = 0, loaded = 0, pass1 = 0, pass2 = 0;
        const QByteArray out = child.readAllStandardOutput();
        if (std::sscanf(out.constData(),
                        "first_ms=%lf turn_median_ms=%lf turn_p95_ms=%lf base_kb=%ld loaded_kb=%ld pass1_kb=%ld "
                        "pass2_kb=%ld",
                        &first, &median, &p95, &base, &loaded, &pass1, &pass2)
            != 7) {
            std::cerr << form << ": unexpected output " << out.constData() << '\n';
            return 1;
        }
        std::printf("%-8s first page %6.1f ms (target < 500); turn median %5.1f ms, p95 %5.1f ms (target < 100)\n"
                    "         resident: %.1f MiB before, +%.1f MiB loaded (target < package + 100), "
                    "%+.1f MiB after one pass through the pages, %+.1f MiB after a second (must not grow)\n",
                    form, first, median, p95, base / 1024.0, (loaded - base) / 1024.0, (pass1 - loaded) / 1024.0,
                    (pass2 - pass1) / 1024.0);
    }
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    return 0;
}
