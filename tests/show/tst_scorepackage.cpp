#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "DemoShow.h"
#include "ScorePackageWriter.h"
#include "kit/File.h"
#include "kit/Log.h"
#include "show/ScorePackage.h"

using score_test::TarEntry;
using score_test::TarFilter;
using vand::show::CheckScorePackage;
using vand::show::ReadScorePackage;
using vand::show::ScorePackageLimits;

Q_DECLARE_METATYPE(TarFilter)
Q_DECLARE_METATYPE(std::vector<TarEntry>)
Q_DECLARE_METATYPE(ScorePackageLimits)

namespace {

// The warnings logged while alive.
class Warnings
{
public:
    Warnings()
    {
        kit::SetLogSink([this](kit::LogLevel level, std::string_view, std::string_view text) {
            if (level >= kit::LogLevel::Warning)
                lines << QString::fromUtf8(text.data(), qsizetype(text.size()));
        });
    }
    ~Warnings() { kit::SetLogSink({}); }
    QStringList lines;
};

QList<int> Numbers(const std::vector<vand::show::ScorePage>& pages)
{
    QList<int> numbers;
    for (const auto& page : pages)
        numbers << page.number;
    return numbers;
}

QStringList Names(const std::vector<vand::show::ScorePage>& pages, const std::vector<TarEntry>& entries)
{
    // Each test page's bytes name it.
    QStringList names;
    for (const auto& page : pages) {
        QString name = QStringLiteral("<unknown>");
        for (const auto& entry : entries) {
            if (entry.data == page.png)
                name = QString::fromStdString(entry.name);
        }
        names << name;
    }
    return names;
}

} // namespace

class TestScorePackage : public QObject
{
    Q_OBJECT
private slots:
    void readsThePageImagesInPageOrder_data()
    {
        QTest::addColumn<std::vector<TarEntry>>("entries");
        QTest::addColumn<TarFilter>("filter");
        QTest::addColumn<QStringList>("expected");

        const auto pages = score_test::Pages;
        QTest::newRow("archive order 3, 1, 2")
            << pages({"3.png", "1.png", "2.png"}) << TarFilter::None << QStringList{"1.png", "2.png", "3.png"};
        QTest::newRow("gzip") << pages({"page3.png", "page1.png", "page2.png"}) << TarFilter::Gzip
                              << QStringList{"page1.png", "page2.png", "page3.png"};
        QTest::newRow("xz") << pages({"page3.png", "page1.png", "page2.png"}) << TarFilter::Xz
                            << QStringList{"page1.png", "page2.png", "page3.png"};

        std::vector<TarEntry> skipped =
            pages({"._1.png", "pages/._1.png", ".x.png", "notes.txt", "page1.PNG", "pages/2.png", "png", "pages/.png"});
        skipped.push_back({"pages/", "", TarEntry::Type::Directory});
        skipped.push_back({"link3.png", "", TarEntry::Type::Symlink});
        QTest::newRow("only page images") << skipped << TarFilter::None << QStringList{"pages/2.png"};

        // Equal numbers keep their archive order.
        QTest::newRow("two pages 5") << pages({"6.png", "a/5.png", "4.png", "b/05.png"}) << TarFilter::None
                                     << QStringList{"4.png", "a/5.png", "b/05.png", "6.png"};
        QTest::newRow("cover page 0 first") << pages({"page1.png", "cover.png", "page2.png"}) << TarFilter::Gzip
                                            << QStringList{"cover.png", "page1.png", "page2.png"};
        QTest::newRow("no pages") << pages({"readme.txt"}) << TarFilter::None << QStringList{};
    }
    void readsThePageImagesInPageOrder()
    {
        QFETCH(std::vector<TarEntry>, entries);
        QFETCH(TarFilter, filter);
        QFETCH(QStringList, expected);
        Warnings warnings;
        const auto pages = ReadScorePackage(score_test::WriteTar(entries, filter));
        // The names say which entry's bytes each page holds: unchanged.
        QCOMPARE(Names(pages, entries), expected);
        for (std::size_t i = 0; i < pages.size(); ++i)
            QCOMPARE(pages[i].number, vand::show::PageNumberFromName(expected[qsizetype(i)].toStdString()));
        // A package that reads whole passes the check of a downloaded show.
        QCOMPARE(CheckScorePackage(score_test::WriteTar(entries, filter)), std::string());
        QCOMPARE(warnings.lines, QStringList());
    }

    // An entry that cannot be read whole is left out with a warning; the
    // pages before it are kept.
    void damagedOrOversizeEntriesAreLeftOut_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<ScorePackageLimits>("limits");
        QTest::addColumn<QList<int>>("expected");
        QTest::addColumn<QStringList>("warnings");

        const ScorePackageLimits standard;
        QTest::newRow("truncated inside an entry")
            << "truncate" << standard << QList<int>{1}
            << QStringList{"Score page 2.png could not be read (Truncated tar archive); it is left out."};
        QTest::newRow("declared over 64 MiB")
            << "declare 65 MiB" << standard << QList<int>{1}
            << QStringList{"Score page 2.png is larger than 64 MiB; it is left out.",
                           "The score package cannot be read past 1 pages: Truncated input file (needed 68157440 "
                           "bytes, only 0 available)"};
        ScorePackageLimits smallEntries;
        smallEntries.maxEntryBytes = 300;
        QTest::newRow("entry over the entry limit, skipped unread")
            << "" << smallEntries << QList<int>{1, 3}
            << QStringList{"Score page 2.png is larger than 0 MiB; it is left out."};
        ScorePackageLimits smallPackage;
        smallPackage.maxPackageBytes = 950;
        // Compressed, the package itself stays under the limit.
        QTest::newRow("pages together over the package limit")
            << "gzip" << smallPackage << QList<int>{1, 2}
            << QStringList{"The score pages pass 0 MiB at 3.png; the pages from there on are left out."};
    }
    void damagedOrOversizeEntriesAreLeftOut()
    {
        QFETCH(QString, damage);
        QFETCH(ScorePackageLimits, limits);
        QFETCH(QList<int>, expected);
        QFETCH(QStringList, warnings);
        const std::vector<TarEntry> entries{
            {"1.png", std::string(200, '1')}, {"2.png", std::string(700, '2')}, {"3.png", std::string(200, '3')}};
        std::string tar = score_test::WriteTar(entries, damage == "gzip" ? TarFilter::Gzip : TarFilter::None);
        const std::size_t second = score_test::DataOffset(entries, 1);
        if (damage == "truncate") {
            tar.resize(second + 100);
        } else if (damage == "declare 65 MiB") {
            tar.resize(second);
            score_test::SetDeclaredSize(tar, second - 512, 65ull << 20);
        }
        Warnings logged;
        const auto pages = ReadScorePackage(tar, limits);
        QCOMPARE(logged.lines, warnings);
        QCOMPARE(Numbers(pages), expected);
        // The check of a downloaded show refuses it for its first problem,
        // and logs nothing.
        QCOMPARE(QString::fromStdString(CheckScorePackage(tar, limits)), warnings.first());
        QCOMPARE(logged.lines, warnings);
    }

    // Unpacking costs time whether or not the bytes are kept: a few
    // kilobytes of compressed zeros in an entry that is not a page must not
    // keep the reader busy. What is passed over is bounded; the pages before
    // the entry that passes the bound are kept.
    void whatIsPassedOverIsBounded_data()
    {
        QTest::addColumn<std::vector<TarEntry>>("entries");
        QTest::addColumn<TarFilter>("filter");
        QTest::addColumn<ScorePackageLimits>("limits");
        QTest::addColumn<QList<int>>("expected");
        QTest::addColumn<QStringList>("warnings");

        const auto page = [](const std::string& name) { return TarEntry{name, score_test::PageBytes(name)}; };
        ScorePackageLimits oneMiB;
        oneMiB.maxSkippedBytes = 1 << 20;
        QTest::newRow("compressed zeros in an entry besides the pages")
            << std::vector<TarEntry>{page("1.png"), {"notes.bin", std::string(8 << 20, '\0')}, page("3.png")}
            << TarFilter::Gzip << oneMiB << QList<int>{1}
            << QStringList{"The entries besides the score pages pass 1 MiB at notes.bin; the pages from there on "
                           "are left out."};
        std::vector<TarEntry> many{page("1.png")};
        for (int i = 0; i < 40; ++i)
            many.push_back({"other" + std::to_string(i) + ".bin", std::string(32 << 10, 'x')});
        many.push_back(page("3.png"));
        // Each takes 33 280 bytes with its header: the 32nd would pass 1 MiB.
        QTest::newRow("many entries besides the pages, together")
            << many << TarFilter::Gzip << oneMiB << QList<int>{1}
            << QStringList{"The entries besides the score pages pass 1 MiB at other31.bin; the pages from there on "
                           "are left out."};
        ScorePackageLimits smallEntries;
        smallEntries.maxEntryBytes = 100;
        smallEntries.maxSkippedBytes = 2000;
        // Each takes 1024 bytes with its header: by the third header 2000 are passed.
        QTest::newRow("pages left out are passed over too")
            << std::vector<TarEntry>{page("1.png"), page("2.png"), page("3.png"), page("4.png")} << TarFilter::None
            << smallEntries << QList<int>{}
            << QStringList{"Score page 1.png is larger than 0 MiB; it is left out.",
                           "Score page 2.png is larger than 0 MiB; it is left out.",
                           "Score page 3.png is larger than 0 MiB; it is left out.",
                           "The entries besides the score pages pass 0 MiB at 3.png; the pages from there on are "
                           "left out."};
        QTest::newRow("within the bound every page is read")
            << std::vector<TarEntry>{page("1.png"), {"notes.bin", std::string(100 << 10, '\0')}, page("3.png")}
            << TarFilter::Gzip << oneMiB << QList<int>{1, 3} << QStringList{};
    }
    void whatIsPassedOverIsBounded()
    {
        QFETCH(std::vector<TarEntry>, entries);
        QFETCH(TarFilter, filter);
        QFETCH(ScorePackageLimits, limits);
        QFETCH(QList<int>, expected);
        QFETCH(QStringList, warnings);
        const std::string tar = score_test::WriteTar(entries, filter);
        Warnings logged;
        const auto pages = ReadScorePackage(tar, limits);
        QCOMPARE(logged.lines, warnings);
        QCOMPARE(Numbers(pages), expected);
    }

    // A read asked to stop ends at once with what it has.
    void aStoppedReadEnds()
    {
        const std::string tar = score_test::WriteTar(score_test::Pages({"1.png", "2.png"}));
        std::atomic<bool> stop{false};
        QCOMPARE(ReadScorePackage(tar, {}, &stop).size(), std::size_t(2));
        stop = true;
        Warnings logged;
        QVERIFY(ReadScorePackage(tar, {}, &stop).empty());
        QCOMPARE(logged.lines, QStringList());
    }

    void packagesThatCannotBeReadGiveNoPages_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("warning");
        QByteArray random(4096, '\0');
        QRandomGenerator generator(21);
        for (char& c : random)
            c = char(generator.bounded(256));
        QTest::newRow("random bytes") << random << "Failed to open in-memory archive: Unrecognized archive format";
        QTest::newRow("0 bytes") << QByteArray() << "Failed to open in-memory archive: ";
        QByteArray gzipTail =
            QByteArray::fromStdString(score_test::WriteTar(score_test::Pages({"1.png"}), TarFilter::Gzip)).left(30);
        QTest::newRow("cut gzip stream") << gzipTail << "Failed to open in-memory archive: truncated gzip input";
    }
    void packagesThatCannotBeReadGiveNoPages()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, warning);
        Warnings logged;
        QVERIFY(ReadScorePackage(bytes.toStdString()).empty());
        QCOMPARE(logged.lines.size(), 1);
        QVERIFY2(logged.lines[0].startsWith(warning), qPrintable(logged.lines[0]));
        QVERIFY(QString::fromStdString(CheckScorePackage(bytes.toStdString())).startsWith(warning));
    }

    void aPackageOverItsLimitIsNotRead()
    {
        ScorePackageLimits limits;
        limits.maxPackageBytes = 1000;
        const std::string tar = score_test::WriteTar(score_test::Pages({"1.png"}));
        QVERIFY(tar.size() > 1000);
        Warnings logged;
        QVERIFY(ReadScorePackage(tar, limits).empty());
        QCOMPARE(logged.lines, QStringList{"The score package is larger than 0 MiB; it is not read."});
    }

    void pageNumberFromName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("page12.png") << "page12.png" << 12;
        QTest::newRow("score/003.png") << "score/003.png" << 3;
        QTest::newRow("cover.png") << "cover.png" << 0;
        QTest::newRow("p1_2.png") << "p1_2.png" << 2;
        QTest::newRow("digits in the folder") << "act2/page.png" << 0;
        QTest::newRow("digits after an inner dot") << "page1.2.png" << 2;
        QTest::newRow("largest int") << "2147483647.png" << 2147483647;
        QTest::newRow("too large for an int") << "2147483648.png" << 0;
        QTest::newRow("far too large") << "p99999999999999999999999.png" << 0;
        QTest::newRow("no extension") << "page7" << 0;
        QTest::newRow("extension not a word") << "page7.p-g" << 0;
    }
    void pageNumberFromName()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(vand::show::PageNumberFromName(name.toStdString()), number);
    }

    // The demo show's package: real page images, numbered through the show.
    void readsTheDemoShowsPackage()
    {
        QTemporaryDir dir;
        const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "score.score";
        const auto show = vand::demo::DemoShowDefinition();
        vand::demo::WriteScorePackage(file, show);
        QList<int> expected;
        for (const auto& song : show.songs) {
            for (const auto& page : song.pages)
                expected << int(page.page);
        }
        Warnings logged;
        const auto pages = ReadScorePackage(kit::ReadWholeFile(file, 1u << 30));
        QCOMPARE(Numbers(pages), expected);
        for (const auto& page : pages) {
            QImage image;
            QVERIFY(
                image.loadFromData(reinterpret_cast<const uchar*>(page.png.data()), qsizetype(page.png.size()), "PNG"));
            QCOMPARE(image.size(), QSize(595, 842));
        }
        QCOMPARE(logged.lines, QStringList());
    }
};

QTEST_MAIN(TestScorePackage)
#include "tst_scorepackage.moc"
