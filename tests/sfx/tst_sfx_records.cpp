#include <QTest>

#include <cmath>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "sfx/CustomAudioParameters.h"
#include "sfx/SfxDto.h"

using vand::audio::CustomAudioCommand;
using vand::audio::CustomAudioParameters;
using vand::audio::SfxType;
using vand::audio::SongInterval;
using vand::audio::sfx::SfxDto;

Q_DECLARE_METATYPE(std::partial_ordering)

namespace {

SfxDto::SfxDtoBuilder fullBuilder()
{
    SfxDto::SfxDtoBuilder builder;
    builder.name("Thunder")
        .outputPath("path-1")
        .effectId("thunder")
        .effectPath("/sfx/thunder.ogg")
        .eventId("sfx.1")
        .type(SfxType::PRIMARY)
        .effectIdIndex(4)
        .repeats(2)
        .fadeIn(100)
        .fadeOut(250)
        .volume(0.75f)
        .reverb(0.25f)
        .pan(0.5f)
        .addActiveInterval(SongInterval("1", 10, 20));
    return builder;
}

std::string text(const SfxDto& dto)
{
    std::ostringstream out;
    out << dto;
    return out.str();
}

SongInterval sequenceInterval()
{
    SongInterval interval("1", 0, 100);
    interval.type(IntervalType::SEQUENCE);
    return interval;
}

} // namespace

class TestSfxRecords : public QObject
{
    Q_OBJECT

private slots:
    void builderDefaults();
    void ambientRepeatsEndlessly_data();
    void ambientRepeatsEndlessly();
    void onlySongIntervalsAreKept();
    void copyAssignmentKeepsTargetEventId();
    void copyAndMoveCarryEventId();
    void ordering_data();
    void ordering();
    void nanIsUnordered();
    void activeInterval_data();
    void activeInterval();
    void sequenceIntervalThrows();
    void streamText_data();
    void streamText();
    void typeText_data();
    void typeText();

    void customAudioDefaults();
    void customAudioAssignmentKeepsNameAndCommand();
    void customAudioMoveTakesEverything();
    void customAudioException();
};

void TestSfxRecords::builderDefaults()
{
    const SfxDto dto = SfxDto::builder().build();
    QCOMPARE(dto.type(), SfxType::PRIMARY);
    QVERIFY(dto.name().empty() && dto.outputPath().empty() && dto.effectId().empty());
    QVERIFY(dto.effectPath().empty() && dto.eventId().empty());
    QVERIFY(dto.activeIntervals().empty());
    QCOMPARE(dto.effectIdIndex(), 0);
    QCOMPARE(dto.repeats(), 0);
    QCOMPARE(dto.fadeIn(), 0);
    QCOMPARE(dto.fadeOut(), 0);
    QCOMPARE(dto.volume(), 1.0f);
    QCOMPARE(dto.reverb(), 0.0f);
    QCOMPARE(dto.pan(), 0.5f);
}

void TestSfxRecords::ambientRepeatsEndlessly_data()
{
    QTest::addColumn<SfxType>("type");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("expected");
    QTest::newRow("ambient 3") << SfxType::AMBIENT << 3 << -1;
    QTest::newRow("ambient 0") << SfxType::AMBIENT << 0 << -1;
    QTest::newRow("primary 3") << SfxType::PRIMARY << 3 << 3;
    QTest::newRow("user 3") << SfxType::USER_PROVIDED << 3 << 3;
}

void TestSfxRecords::ambientRepeatsEndlessly()
{
    QFETCH(SfxType, type);
    QFETCH(int, repeats);
    QFETCH(int, expected);
    SfxDto::SfxDtoBuilder builder = SfxDto::builder();
    builder.repeats(repeats).type(type);
    QCOMPARE(builder.build().repeats(), expected);
    // The builder keeps its own value: set back to PRIMARY it builds it.
    QCOMPARE(builder.type(SfxType::PRIMARY).build().repeats(), repeats);
}

void TestSfxRecords::onlySongIntervalsAreKept()
{
    const SongInterval song("2", 5, 9);
    const SongInterval sequence = sequenceInterval();

    SfxDto::SfxDtoBuilder builder = SfxDto::builder();
    builder.addActiveInterval(song).addActiveInterval(sequence);
    SfxDto built = builder.build();
    QCOMPARE(built.activeIntervals().size(), 1u);

    built.addActiveInterval(sequence);
    built.addActiveInterval(song);
    QCOMPARE(built.activeIntervals().size(), 2u);

    std::vector<IntervalInterface*> given{const_cast<SongInterval*>(&sequence), const_cast<SongInterval*>(&song)};
    const SfxDto constructed("n", "o", "e", "p", given, SfxType::PRIMARY, 0, 0, 0, 0, 1.0f, 0.0f, 0.5f, "sfx.1");
    QCOMPARE(constructed.activeIntervals().size(), 1u);
    const auto& kept = dynamic_cast<const SongInterval&>(*constructed.activeIntervals().front());
    QCOMPARE(kept.index(), std::string("2"));
    QCOMPARE(kept.start(), 5u);
    QCOMPARE(kept.end(), 9u);

    // An interval turned into a SEQUENCE inside a record is not copied.
    built.activeIntervals().front()->type(IntervalType::SEQUENCE);
    const SfxDto copy(built);
    QCOMPARE(copy.activeIntervals().size(), 1u);
}

void TestSfxRecords::copyAssignmentKeepsTargetEventId()
{
    const SfxDto source = fullBuilder().eventId("sfx.source").build();
    SfxDto target = SfxDto::builder().eventId("sfx.target").build();

    target = source;

    QCOMPARE(target.eventId(), std::string("sfx.target"));
    QCOMPARE(target.name(), source.name());
    QCOMPARE(target.effectPath(), source.effectPath());
    QCOMPARE(target.volume(), source.volume());
    QCOMPARE(target.activeIntervals().size(), 1u);
    QVERIFY(target.activeIntervals().front() != source.activeIntervals().front());
    QVERIFY(target == source);
}

void TestSfxRecords::copyAndMoveCarryEventId()
{
    SfxDto source = fullBuilder().eventId("sfx.7").build();

    const SfxDto copied(source);
    QCOMPARE(copied.eventId(), std::string("sfx.7"));
    QCOMPARE(copied.activeIntervals().size(), 1u);

    SfxDto moved(std::move(source));
    QCOMPARE(moved.eventId(), std::string("sfx.7"));
    QCOMPARE(moved.activeIntervals().size(), 1u);
    QVERIFY(source.eventId().empty() && source.name().empty() && source.activeIntervals().empty());

    SfxDto assigned = SfxDto::builder().eventId("sfx.old").build();
    assigned = std::move(moved);
    QCOMPARE(assigned.eventId(), std::string("sfx.7"));
    QCOMPARE(assigned.name(), std::string("Thunder"));
    QVERIFY(moved.eventId().empty() && moved.activeIntervals().empty());
}

void TestSfxRecords::ordering_data()
{
    QTest::addColumn<SfxDto>("left");
    QTest::addColumn<SfxDto>("right");
    QTest::addColumn<std::partial_ordering>("expected");

    const auto base = fullBuilder();
    QTest::newRow("event id ignored") << base.build() << fullBuilder().eventId("sfx.other").build()
                                      << std::partial_ordering::equivalent;
    QTest::newRow("intervals ignored") << base.build()
                                       << fullBuilder().addActiveInterval(SongInterval("9", 0, 1)).build()
                                       << std::partial_ordering::equivalent;
    QTest::newRow("name first") << fullBuilder().name("A").pan(0.9f).build() << fullBuilder().name("B").build()
                                << std::partial_ordering::less;
    QTest::newRow("prefix is less") << fullBuilder().name("Thun").build() << base.build()
                                    << std::partial_ordering::less;
    QTest::newRow("bytes compare unsigned") << fullBuilder().effectId("\xC3\xA9").build()
                                            << fullBuilder().effectId("z").build() << std::partial_ordering::greater;
    QTest::newRow("type before index") << fullBuilder().type(SfxType::USER_PROVIDED).effectIdIndex(0).build()
                                       << fullBuilder().effectIdIndex(9).build() << std::partial_ordering::greater;
    QTest::newRow("repeats signed") << fullBuilder().repeats(-1).build() << fullBuilder().repeats(0).build()
                                    << std::partial_ordering::less;
    QTest::newRow("fade out") << fullBuilder().fadeOut(65535).build() << base.build() << std::partial_ordering::greater;
    QTest::newRow("pan last") << fullBuilder().pan(0.25f).build() << fullBuilder().pan(0.75f).build()
                              << std::partial_ordering::less;
}

void TestSfxRecords::ordering()
{
    QFETCH(SfxDto, left);
    QFETCH(SfxDto, right);
    QFETCH(std::partial_ordering, expected);
    QVERIFY((left <=> right) == expected);
    QCOMPARE(left == right, expected == std::partial_ordering::equivalent);
}

void TestSfxRecords::nanIsUnordered()
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const SfxDto noVolume = fullBuilder().volume(nan).pan(0.0f).build();
    const SfxDto noPan = fullBuilder().pan(nan).build();
    QVERIFY((noVolume <=> fullBuilder().build()) == std::partial_ordering::unordered);
    QVERIFY(!(noVolume == noVolume));
    QVERIFY(!(noPan == noPan));
    // A field before the NaN decides first.
    QVERIFY((fullBuilder().name("A").volume(nan).build() <=> noVolume) == std::partial_ordering::less);
}

void TestSfxRecords::activeInterval_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<uint>("start");
    QTest::addColumn<uint>("end");
    QTest::addColumn<bool>("active");
    QTest::newRow("exact") << "1" << 10u << 20u << true;
    QTest::newRow("wider") << "1" << 0u << 100u << true;
    QTest::newRow("starts later") << "1" << 11u << 100u << false;
    QTest::newRow("ends sooner") << "1" << 0u << 19u << false;
    QTest::newRow("other song") << "2" << 0u << 100u << false;
    QTest::newRow("index as text") << "01" << 0u << 100u << false;
}

void TestSfxRecords::activeInterval()
{
    QFETCH(QString, song);
    QFETCH(uint, start);
    QFETCH(uint, end);
    QFETCH(bool, active);
    const SfxDto dto = SfxDto::builder().addActiveInterval(SongInterval(song.toStdString(), start, end)).build();
    QCOMPARE(dto.isActiveInterval("1", 10, 20), active);
    QVERIFY(!SfxDto::builder().build().isActiveInterval("1", 10, 20));
}

void TestSfxRecords::sequenceIntervalThrows()
{
    const SfxDto dto = SfxDto::builder().addActiveInterval(SongInterval("1", 0, 100)).build();
    dto.activeIntervals().front()->type(IntervalType::SEQUENCE);
    try {
        (void)dto.isActiveInterval("1", 10, 20);
        QFAIL("a SEQUENCE interval must throw");
    } catch (const std::runtime_error& e) {
        QCOMPARE(std::string(e.what()), std::string("IntervalType::SEQUENCE not implemented yet"));
    }
}

void TestSfxRecords::streamText_data()
{
    QTest::addColumn<SfxDto>("dto");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no intervals")
        << SfxDto::builder().name("n").outputPath("o").effectId("e").effectPath("p").eventId("sfx.9").build()
        << "SfxDto{'name': 'n', 'outputPath': 'o', 'effectId': 'e', 'effectPath': 'p', 'activeIntervals': "
           ", 'type': SFX::PRIMARY, 'effectIdIndex': 0, 'repeats': 0, 'fadeIn': 0, 'fadeOut': 0, "
           "'volume': 1, 'reverb': 0, 'pan': 0.5}";
    QTest::newRow("two intervals")
        << fullBuilder().addActiveInterval(SongInterval("12", 0, 4294967295u)).type(SfxType::AMBIENT).build()
        << "SfxDto{'name': 'Thunder', 'outputPath': 'path-1', 'effectId': 'thunder', "
           "'effectPath': '/sfx/thunder.ogg', 'activeIntervals': { 'index': '1', 'start': 10, 'end': 20 }, "
           "{ 'index': '12', 'start': 0, 'end': 4294967295 }, , 'type': SFX::AMBIENT, 'effectIdIndex': 4, "
           "'repeats': -1, 'fadeIn': 100, 'fadeOut': 250, 'volume': 0.75, 'reverb': 0.25, 'pan': 0.5}";
}

void TestSfxRecords::streamText()
{
    QFETCH(SfxDto, dto);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(text(dto)), expected);
}

void TestSfxRecords::typeText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ambient") << 0 << "SFX::AMBIENT";
    QTest::newRow("primary") << 1 << "SFX::PRIMARY";
    QTest::newRow("user") << 2 << "SFX::USER_PROVIDED";
    QTest::newRow("unknown") << 7 << "Error: Unknown SFX type";
}

void TestSfxRecords::typeText()
{
    QFETCH(int, type);
    QFETCH(QString, expected);
    std::ostringstream out;
    out << static_cast<SfxType>(type);
    QCOMPARE(QString::fromStdString(out.str()), expected);
}

void TestSfxRecords::customAudioDefaults()
{
    const CustomAudioParameters records[] = {CustomAudioParameters(), CustomAudioParameters::builder().build()};
    for (const CustomAudioParameters& p : records) {
        QVERIFY(p.name().isEmpty() && p.file().isEmpty() && p.outputPath().isEmpty() && p.networkPatch().isEmpty());
        QCOMPARE(p.repeats(), 0);
        QCOMPARE(p.fadeIn(), 0u);
        QCOMPARE(p.fadeOut(), 0u);
        QCOMPARE(p.volume(), 0.0);
        QCOMPARE(p.reverb(), 0.0);
        QCOMPARE(p.pan(), 0.0);
        QCOMPARE(p.command(), CustomAudioCommand::PLAY);
    }
}

void TestSfxRecords::customAudioAssignmentKeepsNameAndCommand()
{
    const CustomAudioParameters source = CustomAudioParameters::builder()
                                             .name("Source")
                                             .file("/music/a.wav")
                                             .outputPath("path-2")
                                             .networkPatch("patch")
                                             .repeats(-1)
                                             .fadeIn(10)
                                             .fadeOut(20)
                                             .volume(0.5)
                                             .reverb(0.1)
                                             .pan(0.9)
                                             .command(CustomAudioCommand::STOP)
                                             .build();
    CustomAudioParameters target = CustomAudioParameters::builder().name("Target").build();

    target = source;

    QCOMPARE(target.name(), QString("Target"));
    QCOMPARE(target.command(), CustomAudioCommand::PLAY);
    QCOMPARE(target.file(), QString("/music/a.wav"));
    QCOMPARE(target.outputPath(), QString("path-2"));
    QCOMPARE(target.networkPatch(), QString("patch"));
    QCOMPARE(target.repeats(), -1);
    QCOMPARE(target.fadeIn(), 10u);
    QCOMPARE(target.fadeOut(), 20u);
    QCOMPARE(target.volume(), 0.5);
    QCOMPARE(target.reverb(), 0.1);
    QCOMPARE(target.pan(), 0.9);
    QCOMPARE(source.file(), QString("/music/a.wav"));
}

void TestSfxRecords::customAudioMoveTakesEverything()
{
    CustomAudioParameters source =
        CustomAudioParameters::builder().name("Source").file("/music/a.wav").command(CustomAudioCommand::STOP).build();
    CustomAudioParameters target = CustomAudioParameters::builder().name("Target").build();
    target = std::move(source);
    QCOMPARE(target.name(), QString("Source"));
    QCOMPARE(target.command(), CustomAudioCommand::STOP);
    QCOMPARE(target.file(), QString("/music/a.wav"));
    QVERIFY(source.name().isEmpty() && source.file().isEmpty());
}

void TestSfxRecords::customAudioException()
{
    try {
        throw vand::sfx::CustomAudioException("warning", "x");
    } catch (const std::exception& e) {
        QCOMPARE(std::string(e.what()), std::string("x"));
        const auto& custom = dynamic_cast<const vand::sfx::CustomAudioException&>(e);
        QCOMPARE(custom.Priority(), std::string("warning"));
        QCOMPARE(custom.Message(), std::string("x"));
    }
}

QTEST_APPLESS_MAIN(TestSfxRecords)
#include "tst_sfx_records.moc"
