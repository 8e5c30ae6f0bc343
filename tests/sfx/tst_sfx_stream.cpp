#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "sfx/SfxAudioFilters.h"
#include "sfx/SfxAudioStream.h"
#include "sfx/SfxFileInterface.h"

using vand::audio::SfxAudioStream;
using vand::audio::SfxPanFilter;
using vand::audio::SfxReverbFilter;
using vand::audio::sfx::SfxDto;

namespace {

// PCM held by the test; 16-bit unless told otherwise.
class FakeFile : public vand::audio::SfxFileInterface
{
public:
    FakeFile(QByteArray pcm, unsigned int channels, float duration = 1.0f)
        : pcm_(std::move(pcm))
        , channels_(channels)
        , duration_(duration)
    {
    }
    std::pair<const char*, const char*> Read() const override
    {
        return {pcm_.constData(), pcm_.constData() + pcm_.size()};
    }
    float Duration() const override { return duration_; }
    unsigned int ChannelCount() const override { return channels_; }
    double SampleRate() const override { return 44100.0; }
    std::string Path() const override { return "fake"; }
    int BitsPerSample() const override { return 16; }

private:
    QByteArray pcm_;
    unsigned int channels_;
    float duration_;
};

// `bytes` bytes of 16-bit samples counting up from 0, so that every byte
// tells where it came from.
QByteArray counting(int bytes)
{
    QByteArray pcm(bytes, 0);
    for (int i = 0; i + 1 < bytes; i += 2) {
        const auto v = static_cast<std::int16_t>(i / 2);
        std::memcpy(pcm.data() + i, &v, 2);
    }
    return pcm;
}

QByteArray constant(int frames, unsigned channels, std::int16_t value)
{
    std::vector<std::int16_t> samples(std::size_t(frames) * channels, value);
    return QByteArray(reinterpret_cast<const char*>(samples.data()), qsizetype(samples.size() * 2));
}

std::shared_ptr<SfxDto> record(int repeats = 0, float reverb = 0.0f, float pan = 0.5f)
{
    return std::make_shared<SfxDto>(SfxDto::builder().repeats(repeats).reverb(reverb).pan(pan).build());
}

QByteArray readChunk(SfxAudioStream& stream, qint64 size, qint64* got = nullptr)
{
    QByteArray out(size, 0);
    const qint64 n = stream.read(out.data(), size);
    if (got)
        *got = n;
    out.resize(std::max<qint64>(n, 0));
    return out;
}

} // namespace

class TestSfxStream : public QObject
{
    Q_OBJECT

private slots:
    void filterChain_data();
    void filterChain();
    void passes_data();
    void passes();
    void sizeTellsWhatIsLeft_data();
    void sizeTellsWhatIsLeft();
    void minimumLengthPadsWithSilence_data();
    void minimumLengthPadsWithSilence();
    void chunkAcrossAPassBoundary();
    void progressRisesOverEveryPass_data();
    void progressRisesOverEveryPass();
    void setPosition_data();
    void setPosition();
    void openModes_data();
    void openModes();
    void duration_data();
    void duration();
    void emptyFileEndsAtOnce();
    void panFilter_data();
    void panFilter();
    void reverbFirstCallOnMono();
    void reverbAtFullScaleStaysInRange();
    void softclip_data();
    void softclip();
};

void TestSfxStream::filterChain_data()
{
    QTest::addColumn<float>("reverb");
    QTest::addColumn<float>("pan");
    QTest::addColumn<QStringList>("chain");
    QTest::newRow("within EPSILON: none") << 0.0005f << 0.5005f << QStringList();
    QTest::newRow("reverb then pan") << 0.002f << 0.2f << QStringList{"reverb", "pan"};
    QTest::newRow("reverb alone") << 0.3f << 0.5f << QStringList{"reverb"};
    QTest::newRow("pan alone") << 0.0f << 0.9f << QStringList{"pan"};
}

// The stream's output is its PCM run through the record's filters in order;
// three chunks, so that the reverb's line feeds back.
void TestSfxStream::filterChain()
{
    QFETCH(float, reverb);
    QFETCH(float, pan);
    QFETCH(QStringList, chain);
    const QByteArray pcm = constant(3000, 2, 12000);
    FakeFile file(pcm, 2);
    auto rec = record(0, reverb, pan);
    SfxAudioStream stream(rec, &file);
    QVERIFY(stream.open(QIODevice::ReadOnly));

    std::vector<std::unique_ptr<vand::audio::SfxAudioFilterInterface>> expected;
    for (const QString& name : chain) {
        if (name == "reverb")
            expected.push_back(std::make_unique<SfxReverbFilter>(rec));
        else
            expected.push_back(std::make_unique<SfxPanFilter>(rec));
    }
    for (int chunk = 0; chunk < 3; ++chunk) {
        const QByteArray got = readChunk(stream, 4000);
        QByteArray want = pcm.mid(chunk * 4000, 4000);
        for (const auto& filter : expected)
            filter->apply(reinterpret_cast<std::int16_t*>(want.data()), want.size() / 4, 2);
        QCOMPARE(got, want);
    }
}

void TestSfxStream::passes_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<qint64>("total");
    QTest::newRow("once") << 1000 << 0 << qint64(1000);
    QTest::newRow("three passes") << 1000 << 2 << qint64(3000);
    QTest::newRow("endless") << 1000 << -1 << qint64(-1);
    // The odd bytes of an unfinished frame are never handed out.
    QTest::newRow("whole frames only") << 1002 << 1 << qint64(2000);
}

// Each pass hands out the whole PCM again; the last ends in -1 and stays
// there, with nothing available; an endless effect never ends.
void TestSfxStream::passes()
{
    QFETCH(int, bytes);
    QFETCH(int, repeats);
    QFETCH(qint64, total);
    const QByteArray pcm = counting(bytes);
    FakeFile file(pcm, 2);
    SfxAudioStream stream(record(repeats), &file);
    QVERIFY(stream.open(QIODevice::ReadOnly));
    QByteArray all;
    for (int call = 0; call < 40; ++call) {
        qint64 got = 0;
        all += readChunk(stream, 300, &got);
        if (got < 0)
            break;
    }
    if (total < 0) {
        QCOMPARE(all.size(), 40 * 300);
        QCOMPARE(all.mid(1000, 1000), pcm.left(1000));
        QVERIFY(!stream.atEnd());
        return;
    }
    QCOMPARE(all.size(), total);
    for (qint64 at = 0; at < total; at += 1000)
        QCOMPARE(all.mid(at, 1000), pcm.left(1000));
    QCOMPARE(stream.read(all.data(), 300), qint64(-1));
    QCOMPARE(stream.bytesAvailable(), qint64(0));
    QVERIFY(stream.atEnd());
}

void TestSfxStream::sizeTellsWhatIsLeft_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<qint64>("atStart");
    QTest::addColumn<qint64>("after1300");
    QTest::newRow("once") << 0 << qint64(1000) << qint64(1000);
    QTest::newRow("three passes") << 2 << qint64(3000) << qint64(3000);
    QTest::newRow("endless: unknown") << -1 << qint64(0) << qint64(0);
}

// The sink sizes its start-up buffer by size(): for a finite effect it is
// the read position plus everything still to come.
void TestSfxStream::sizeTellsWhatIsLeft()
{
    QFETCH(int, repeats);
    QFETCH(qint64, atStart);
    QFETCH(qint64, after1300);
    FakeFile file(counting(1000), 2);
    SfxAudioStream stream(record(repeats), &file);
    QVERIFY(stream.open(QIODevice::ReadOnly));
    QCOMPARE(stream.size(), atStart);
    readChunk(stream, 1300);
    if (repeats == 0)
        QCOMPARE(stream.size() - stream.pos(), qint64(0));
    else
        QCOMPARE(stream.size(), after1300);
}

void TestSfxStream::minimumLengthPadsWithSilence_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<qint64>("minimum");
    QTest::addColumn<qint64>("silence");
    QTest::newRow("short sound") << 0 << qint64(2500) << qint64(1500);
    QTest::newRow("rounded to whole frames") << 0 << qint64(2501) << qint64(1504);
    QTest::newRow("two passes") << 1 << qint64(2500) << qint64(500);
    QTest::newRow("long enough") << 2 << qint64(2500) << qint64(0);
    QTest::newRow("endless") << -1 << qint64(2500) << qint64(0);
}

// Silence follows the last pass until the minimum has been handed out; the
// reads then end as before.
void TestSfxStream::minimumLengthPadsWithSilence()
{
    QFETCH(int, repeats);
    QFETCH(qint64, minimum);
    QFETCH(qint64, silence);
    const QByteArray pcm = counting(1000);
    FakeFile file(pcm, 2);
    SfxAudioStream stream(record(repeats), &file);
    QVERIFY(stream.open(QIODevice::ReadOnly));
    stream.setMinimumLength(minimum);
    QByteArray all;
    for (int call = 0; call < 40; ++call) {
        qint64 got = 0;
        all += readChunk(stream, 700, &got);
        if (got < 0)
            break;
    }
    if (repeats < 0) {
        QCOMPARE(all.size(), 40 * 700);
        return;
    }
    const qint64 sound = 1000 * (repeats + 1);
    QCOMPARE(all.size(), sound + silence);
    QCOMPARE(all.mid(sound), QByteArray(silence, 0));
    QVERIFY(stream.atEnd());
}

// A read that crosses the end of a pass takes the rest of this pass and the
// start of the next in one chunk.
void TestSfxStream::chunkAcrossAPassBoundary()
{
    const QByteArray pcm = counting(1000);
    FakeFile file(pcm, 2);
    SfxAudioStream stream(record(1), &file);
    QVERIFY(stream.open(QIODevice::ReadOnly));
    QCOMPARE(readChunk(stream, 600), pcm.left(600));
    QCOMPARE(readChunk(stream, 600), pcm.mid(600) + pcm.left(200));
    QCOMPARE(readChunk(stream, 2000), pcm.mid(200));
}

void TestSfxStream::progressRisesOverEveryPass_data()
{
    QTest::addColumn<int>("repeats");
    QTest::newRow("once") << 0;
    QTest::newRow("three passes") << 2;
}

void TestSfxStream::progressRisesOverEveryPass()
{
    QFETCH(int, repeats);
    FakeFile file(counting(1000), 2);
    SfxAudioStream stream(record(repeats), &file);
    QSignalSpy reported(&stream, &SfxAudioStream::progressChanged);
    QVERIFY(stream.open(QIODevice::ReadOnly));
    QCOMPARE(stream.progress(), 0.0);
    double last = 0.0;
    char buffer[200];
    int chunks = 0;
    while (stream.read(buffer, sizeof buffer) > 0) {
        QVERIFY(stream.progress() > last);
        last = stream.progress();
        ++chunks;
    }
    QCOMPARE(last, 1.0);
    QCOMPARE(reported.count(), chunks);
    QCOMPARE(reported.last().at(0).toDouble(), 1.0);
}

void TestSfxStream::setPosition_data()
{
    QTest::addColumn<double>("position");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<qint64>("available");
    QTest::addColumn<QByteArray>("next");
    const QByteArray pcm = counting(1002);
    // 1002 bytes hold 250 frames of four bytes: a pass is 1000 bytes.
    QTest::newRow("half way") << 0.5 << 0 << qint64(500) << pcm.mid(500, 8);
    QTest::newRow("half way, a pass left") << 0.5 << 1 << qint64(1500) << pcm.mid(500, 8);
    QTest::newRow("below 0") << -3.0 << 0 << qint64(1000) << pcm.left(8);
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0 << qint64(1000) << pcm.left(8);
    QTest::newRow("past the end, last pass") << 7.0 << 0 << qint64(0) << QByteArray();
    // A jump to the end of a pass with passes left goes on with the next.
    QTest::newRow("past the end, passes left") << 7.0 << 1 << qint64(1000) << pcm.left(8);
    QTest::newRow("end of an endless effect") << 1.0 << -1 << qint64(1000) << pcm.left(8);
}

void TestSfxStream::setPosition()
{
    QFETCH(double, position);
    QFETCH(int, repeats);
    QFETCH(qint64, available);
    QFETCH(QByteArray, next);
    FakeFile file(counting(1002), 2);
    SfxAudioStream stream(record(repeats), &file);
    QVERIFY(stream.open(QIODevice::ReadOnly));
    readChunk(stream, 100);
    stream.setPosition(position);
    QCOMPARE(stream.bytesAvailable(), available);
    QCOMPARE(readChunk(stream, 8), next);
}

void TestSfxStream::openModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("opens");
    QTest::newRow("ReadOnly") << int(QIODevice::ReadOnly) << true;
    QTest::newRow("WriteOnly") << int(QIODevice::WriteOnly) << false;
    QTest::newRow("ReadWrite") << int(QIODevice::ReadWrite) << false;
    QTest::newRow("ReadOnly | Unbuffered") << int(QIODevice::ReadOnly | QIODevice::Unbuffered) << false;
}

// Only ReadOnly binds the stream to the PCM.
void TestSfxStream::openModes()
{
    QFETCH(int, mode);
    QFETCH(bool, opens);
    FakeFile file(counting(1000), 2);
    SfxAudioStream stream(record(), &file);
    QCOMPARE(stream.open(QIODevice::OpenMode(mode)), opens);
    QCOMPARE(stream.isOpen(), opens);
    QCOMPARE(stream.bytesAvailable(), opens ? qint64(1000) : qint64(0));
}

void TestSfxStream::duration_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<double>("atStart");
    QTest::addColumn<double>("afterOnePass");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("once") << 0 << 1.5 << 1.5;
    QTest::newRow("three passes") << 2 << 4.5 << 3.0;
    QTest::newRow("endless") << -1 << inf << inf;
}

// The time still to play: every pass left, the current one included.
void TestSfxStream::duration()
{
    QFETCH(int, repeats);
    QFETCH(double, atStart);
    QFETCH(double, afterOnePass);
    FakeFile file(counting(1000), 2, 1.5f);
    SfxAudioStream stream(record(repeats), &file);
    QVERIFY(stream.open(QIODevice::ReadOnly));
    QCOMPARE(stream.duration(), atStart);
    readChunk(stream, 1200);
    QCOMPARE(stream.duration(), afterOnePass);
}

// A reader without PCM yet: nothing to read, no progress, no jump.
void TestSfxStream::emptyFileEndsAtOnce()
{
    FakeFile file(QByteArray(), 2);
    SfxAudioStream stream(record(-1), &file);
    QVERIFY(stream.open(QIODevice::ReadOnly));
    QCOMPARE(stream.bytesAvailable(), qint64(0));
    stream.setPosition(0.5);
    char buffer[16];
    QCOMPARE(stream.read(buffer, sizeof buffer), qint64(-1));
    QCOMPARE(stream.progress(), 0.0);
}

void TestSfxStream::panFilter_data()
{
    QTest::addColumn<float>("pan");
    QTest::addColumn<int>("channels");
    QTest::addColumn<std::vector<std::int16_t>>("in");
    QTest::addColumn<std::vector<std::int16_t>>("out");
    QTest::newRow("0: first channel only")
        << 0.0f << 2 << std::vector<std::int16_t>{30000, 30000} << std::vector<std::int16_t>{30000, 0};
    QTest::newRow("1: other channels only")
        << 1.0f << 2 << std::vector<std::int16_t>{30000, -30000} << std::vector<std::int16_t>{0, -30000};
    QTest::newRow("-0.2: clamped") << -0.2f << 2 << std::vector<std::int16_t>{30000, 30000}
                                   << std::vector<std::int16_t>{32767, -6000};
    QTest::newRow("1.2: clamped low") << 1.2f << 2 << std::vector<std::int16_t>{-30000, -30000}
                                      << std::vector<std::int16_t>{6000, -32768};
    QTest::newRow("0.25 on three channels")
        << 0.25f << 3 << std::vector<std::int16_t>{1000, 1000, -1000} << std::vector<std::int16_t>{750, 250, -250};
}

void TestSfxStream::panFilter()
{
    QFETCH(float, pan);
    QFETCH(int, channels);
    QFETCH(std::vector<std::int16_t>, in);
    QFETCH(std::vector<std::int16_t>, out);
    SfxPanFilter filter(record(0, 0.0f, pan));
    std::vector<std::int16_t> samples = in;
    samples.insert(samples.end(), in.begin(), in.end()); // two frames
    filter.apply(samples.data(), 2, unsigned(channels));
    std::vector<std::int16_t> want = out;
    want.insert(want.end(), out.begin(), out.end());
    QCOMPARE(samples, want);
}

// The first call on mono finds an empty line: the output is the dry input,
// which goes into the line at 0 to 9 and is read back from 0 on the next call.
void TestSfxStream::reverbFirstCallOnMono()
{
    SfxReverbFilter filter(record(0, 1.0f));
    std::vector<std::int16_t> first = {1000, -1000, 16000, -16000, 32767, -32768, 1, -1, 0, 12345};
    std::vector<std::int16_t> dry = first;
    filter.apply(first.data(), 10, 1);
    for (std::size_t i = 0; i < first.size(); ++i)
        QCOMPARE(first[i], std::int16_t(std::trunc(float(dry[i]) / 32767.0f * 32767.0f)));

    std::vector<std::int16_t> second(10, 0);
    filter.apply(second.data(), 10, 1);
    for (std::size_t i = 0; i < second.size(); ++i) {
        const float wet = SfxReverbFilter::softclip(float(first[i]) / 32767.0f * 0.5f);
        const float ramp = float(i) / 441.0f;
        QCOMPARE(second[i], std::int16_t(std::trunc(wet * ramp * 1.0f * 32767.0f)));
    }
    QVERIFY(second[2] > 0); // the line fed back
}

// Loud input at full reverb clamps instead of wrapping into clicks of the
// opposite sign.
void TestSfxStream::reverbAtFullScaleStaysInRange()
{
    SfxReverbFilter filter(record(0, 1.0f));
    std::int16_t lowest = 32767;
    int atFullScale = 0;
    for (int call = 0; call < 4; ++call) {
        std::vector<std::int16_t> samples(2000, 30000);
        filter.apply(samples.data(), 2000, 1);
        for (std::int16_t s : samples) {
            lowest = std::min(lowest, s);
            atFullScale += s == 32767 ? 1 : 0;
        }
    }
    QVERIFY2(lowest > 0, qPrintable(QString::number(lowest)));
    QVERIFY(atFullScale > 0);
}

void TestSfxStream::softclip_data()
{
    QTest::addColumn<float>("in");
    QTest::addColumn<float>("out");
    QTest::newRow("0.25 passes") << 0.25f << 0.25f;
    QTest::newRow("-0.4999 passes") << -0.4999f << -0.4999f;
    QTest::newRow("0.5 gives 0") << 0.5f << 0.0f;
    QTest::newRow("-0.75") << -0.75f << -(1.0f - std::exp(-0.5f));
    QTest::newRow("1") << 1.0f << 1.0f - std::exp(-1.0f);
}

void TestSfxStream::softclip()
{
    QFETCH(float, in);
    QFETCH(float, out);
    QCOMPARE(SfxReverbFilter::softclip(in), out);
}

QTEST_GUILESS_MAIN(TestSfxStream)
#include "tst_sfx_stream.moc"
