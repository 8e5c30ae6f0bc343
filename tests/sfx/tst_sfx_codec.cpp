#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

#include "AudioFixtures.h"
#include "vand_audio/OggVorbisDecoder.h"
#include "vand_audio/SoundFileDecoder.h"

using vand_audio::DecodeError;
using vand_audio::DecodeFailure;
using vand_audio::SoundFileFormat;
namespace fixtures = vand_audio::fixtures;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(DecodeFailure)

namespace {

std::vector<unsigned char> decodeOgg(const std::string& ogg, std::size_t cap = vand_audio::kMaxPcmBytes,
                                     std::uint32_t* rate = nullptr, std::uint16_t* channels = nullptr)
{
    vand_audio::OggVorbisDecoder decoder(reinterpret_cast<const unsigned char*>(ogg.data()),
                                         static_cast<std::int64_t>(ogg.size()), cap);
    if (rate)
        *rate = decoder.SampleRate();
    if (channels)
        *channels = decoder.Channels();
    return decoder.Decode();
}

// The reason a decode of `ogg` gives, or "decoded".
QString oggFailure(const std::string& ogg, std::size_t cap = vand_audio::kMaxPcmBytes)
{
    try {
        decodeOgg(ogg, cap);
    } catch (const DecodeError& e) {
        return e.what();
    }
    return "decoded";
}

double peak(const std::int16_t* samples, std::size_t count)
{
    double p = 0;
    for (std::size_t i = 0; i < count; ++i)
        p = std::max(p, std::fabs(static_cast<double>(samples[i])));
    return p;
}

const std::string& stereoOgg()
{
    static const std::string ogg = fixtures::Sine(SoundFileFormat::OggVorbis, 44100, 2, 1.0);
    return ogg;
}

} // namespace

class TestSfxCodec : public QObject
{
    Q_OBJECT

private slots:
    void oggDecodes_data();
    void oggDecodes();
    void oggRefused_data();
    void oggRefused();
    void oggOutputCap();
    void soundFileDecodes_data();
    void soundFileDecodes();
    void soundFileRefused_data();
    void soundFileRefused();
    void soundFileOutputCap();

private:
    QTemporaryDir dir_;
};

void TestSfxCodec::oggDecodes_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<double>("seconds");
    QTest::newRow("stereo 44.1 kHz") << 44100 << 2 << 1.0;
    QTest::newRow("mono 48 kHz") << 48000 << 1 << 0.5;
    QTest::newRow("8 kHz, the lowest rate") << 8000 << 1 << 0.25;
    // A whole song handed to the encoder at once once overflowed its stack.
    QTest::newRow("four minutes in one call") << 44100 << 2 << 240.0;
}

// Rate, channels and length come back as encoded; the samples are the sine.
void TestSfxCodec::oggDecodes()
{
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(double, seconds);
    const std::string ogg = fixtures::Sine(SoundFileFormat::OggVorbis, rate, channels, seconds, 440.0, 0.5);
    std::uint32_t gotRate = 0;
    std::uint16_t gotChannels = 0;
    const std::vector<unsigned char> pcm = decodeOgg(ogg, vand_audio::kMaxPcmBytes, &gotRate, &gotChannels);
    QCOMPARE(gotRate, std::uint32_t(rate));
    QCOMPARE(gotChannels, std::uint16_t(channels));
    QCOMPARE(pcm.size(), std::size_t(std::llround(seconds * rate)) * channels * 2);
    const double p = peak(reinterpret_cast<const std::int16_t*>(pcm.data()), pcm.size() / 2);
    QVERIFY2(p > 0.45 * 32767 && p < 0.56 * 32767, qPrintable(QString::number(p)));
}

void TestSfxCodec::oggRefused_data()
{
    QTest::addColumn<std::string>("bytes");
    QTest::addColumn<QString>("reason");
    const std::string& ogg = stereoOgg();
    const QString damaged = "The Ogg Vorbis data is damaged: ";
    QTest::newRow("empty") << std::string() << "This is not Ogg Vorbis data.";
    QTest::newRow("a WAV file") << fixtures::Sine(SoundFileFormat::Wav16, 44100, 2, 0.1)
                                << "This is not Ogg Vorbis data.";
    QTest::newRow("FLAC in Ogg's place") << fixtures::Sine(SoundFileFormat::Flac, 44100, 2, 0.1)
                                         << "This is not Ogg Vorbis data.";
    QTest::newRow("cut inside the headers") << fixtures::Truncated(ogg, 200) << "The Ogg Vorbis data is truncated.";
    QTest::newRow("cut inside the audio")
        << fixtures::Truncated(ogg, ogg.size() * 2 / 3) << "The Ogg Vorbis data is truncated.";
    QTest::newRow("a byte changed in the audio")
        << fixtures::Flipped(ogg, ogg.size() / 2) << damaged + "bytes outside any valid page.";
    QTest::newRow("rate 0") << fixtures::WithIdentification(ogg, 2, 0)
                            << damaged + "its Vorbis headers cannot be read.";
    QTest::newRow("rate 7999") << fixtures::WithIdentification(ogg, 2, 7999)
                               << "The sample rate 7999 Hz is outside 8 to 192 kHz.";
    QTest::newRow("rate 10 MHz") << fixtures::WithIdentification(ogg, 2, 10'000'000)
                                 << "The sample rate 10000000 Hz is outside 8 to 192 kHz.";
    QTest::newRow("9 channels") << fixtures::Sine(SoundFileFormat::OggVorbis, 44100, 9, 0.1)
                                << "The sound has 9 channels; 1 to 8 are supported.";
    QTest::newRow("255 channels claimed, setup for 2")
        << fixtures::WithIdentification(ogg, 255, 44100) << damaged + "its Vorbis headers cannot be read.";
    QTest::newRow("comment claims 2 GB") << fixtures::WithCommentClaim(ogg, 0x7fffffffu)
                                         << damaged + "its Vorbis headers cannot be read.";
    QTest::newRow("two streams of different rates") << ogg + fixtures::Sine(SoundFileFormat::OggVorbis, 48000, 2, 0.2)
                                                    << "The Ogg Vorbis data changes its rate or channels midway.";
}

// Bad input is refused with its reason, never half-decoded.
void TestSfxCodec::oggRefused()
{
    QFETCH(std::string, bytes);
    QFETCH(QString, reason);
    QCOMPARE(oggFailure(bytes), reason);
}

void TestSfxCodec::oggOutputCap()
{
    const std::size_t whole = decodeOgg(stereoOgg()).size();
    QCOMPARE(oggFailure(stereoOgg(), whole), QString("decoded"));
    QCOMPARE(oggFailure(stereoOgg(), whole - 1),
             QString("The sound is too long: it decodes to more than %1 bytes.").arg(whole - 1));
}

void TestSfxCodec::soundFileDecodes_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::newRow("WAV stereo 44.1 kHz") << int(SoundFileFormat::Wav16) << 44100 << 2;
    QTest::newRow("FLAC mono 96 kHz") << int(SoundFileFormat::Flac) << 96000 << 1;
    QTest::newRow("Ogg Vorbis") << int(SoundFileFormat::OggVorbis) << 48000 << 2;
    QTest::newRow("WAV float") << int(SoundFileFormat::WavFloat) << 22050 << 2;
}

// Every format comes out as 16-bit samples at the encoded level.
void TestSfxCodec::soundFileDecodes()
{
    QFETCH(int, format);
    QFETCH(int, rate);
    QFETCH(int, channels);
    const double seconds = 0.7;
    const std::string bytes = fixtures::Sine(SoundFileFormat(format), rate, channels, seconds, 440.0, 0.5);
    const QString path = dir_.filePath(QString("decodes-%1").arg(QTest::currentDataTag()));
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;

    for (const bool fromFile : {true, false}) {
        auto decoder = fromFile ? std::make_unique<vand_audio::SoundFileDecoder>(path.toStdString())
                                : std::make_unique<vand_audio::SoundFileDecoder>(
                                    reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        QCOMPARE(decoder->SampleRate(), std::uint32_t(rate));
        QCOMPARE(decoder->Channels(), std::uint16_t(channels));
        std::vector<std::int16_t> all;
        std::vector<std::int16_t> chunk(1000 * channels);
        while (const std::size_t frames = decoder->Read(chunk.data(), 1000))
            all.insert(all.end(), chunk.begin(), chunk.begin() + frames * channels);
        QCOMPARE(all.size(), std::size_t(std::llround(seconds * rate)) * channels);
        const double p = peak(all.data(), all.size());
        QVERIFY2(p > 0.45 * 32767 && p < 0.56 * 32767, qPrintable(QString::number(p)));
    }
}

void TestSfxCodec::soundFileRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::string>("bytes");
    QTest::addColumn<DecodeFailure>("failure");
    QTest::newRow("missing") << "missing" << std::string() << DecodeFailure::Resource;
    QTest::newRow("a folder") << "." << std::string() << DecodeFailure::Resource;
    QTest::newRow("not sound") << "text.wav" << std::string("just some words, no sound at all")
                               << DecodeFailure::Format;
    QTest::newRow("empty") << "empty.wav" << std::string() << DecodeFailure::Format;
    const std::string ogg = fixtures::Sine(SoundFileFormat::OggVorbis, 44100, 2, 1.0);
    QTest::newRow("truncated Ogg Vorbis")
        << "cut.ogg" << fixtures::Truncated(ogg, ogg.size() / 2) << DecodeFailure::Format;
    QTest::newRow("Ogg Vorbis at 4 kHz") << "low.ogg" << fixtures::WithIdentification(ogg, 2, 4000)
                                         << DecodeFailure::NotSupported;
    QTest::newRow("4 kHz") << "low.wav" << fixtures::Sine(SoundFileFormat::Wav16, 4000, 1, 0.1)
                           << DecodeFailure::NotSupported;
    QTest::newRow("9 channels") << "wide.wav" << fixtures::Sine(SoundFileFormat::Wav16, 44100, 9, 0.1)
                                << DecodeFailure::NotSupported;
    QTest::newRow("no permission") << "locked.wav" << fixtures::Sine(SoundFileFormat::Wav16, 44100, 1, 0.1)
                                   << DecodeFailure::AccessDenied;
}

// A file that cannot be played says why, in the class the reader reports.
void TestSfxCodec::soundFileRefused()
{
    QFETCH(QString, name);
    QFETCH(std::string, bytes);
    QFETCH(DecodeFailure, failure);
    const QString path = dir_.filePath(name);
    if (name != "missing" && name != ".") {
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        if (failure == DecodeFailure::AccessDenied) {
            if (::geteuid() == 0)
                QSKIP("permissions do not bind the superuser");
            QFile::setPermissions(path, {});
        }
    }
    try {
        vand_audio::SoundFileDecoder decoder(path.toStdString());
        QFAIL("the file was opened");
    } catch (const DecodeError& e) {
        QCOMPARE(e.Failure(), failure);
        QVERIFY(!QString(e.what()).isEmpty());
    }
    if (bytes.empty())
        return;
    try {
        vand_audio::SoundFileDecoder decoder(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        QVERIFY(failure == DecodeFailure::AccessDenied);
    } catch (const DecodeError& e) {
        QCOMPARE(e.Failure(), failure);
    }
}

void TestSfxCodec::soundFileOutputCap()
{
    const std::string wav = fixtures::Sine(SoundFileFormat::Wav16, 8000, 1, 1.0);
    const std::size_t whole = 8000 * 2;
    std::vector<std::int16_t> samples(8000);
    vand_audio::SoundFileDecoder exact(reinterpret_cast<const unsigned char*>(wav.data()), wav.size(), whole);
    QCOMPARE(exact.Read(samples.data(), 8000), std::size_t(8000));
    vand_audio::SoundFileDecoder over(reinterpret_cast<const unsigned char*>(wav.data()), wav.size(), whole - 2);
    QCOMPARE(over.Read(samples.data(), 4000), std::size_t(4000));
    try {
        over.Read(samples.data(), 4000);
        QFAIL("read past the cap");
    } catch (const DecodeError& e) {
        QCOMPARE(e.Failure(), DecodeFailure::Resource);
    }
}

QTEST_GUILESS_MAIN(TestSfxCodec)
#include "tst_sfx_codec.moc"
