#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QUrl>

#include <fstream>

#include "AudioFixtures.h"
#include "sfx/CustomAudioParameters.h"
#include "sfx/PackagedVorbisFile.h"
#include "sfx/UserAudioFile.h"

using vand::audio::PackagedVorbisFile;
using vand::audio::UserAudioFile;
using vand_audio::SoundFileFormat;
namespace fixtures = vand_audio::fixtures;

Q_DECLARE_METATYPE(std::string)

namespace {

// Keeps every thread of Qt's global pool busy while alive, so that a load
// handed to it waits.
class GlobalPoolHeld
{
public:
    GlobalPoolHeld()
    {
        QThreadPool* pool = QThreadPool::globalInstance();
        count_ = pool->maxThreadCount();
        for (int i = 0; i < count_; ++i)
            pool->start([this] {
                started_.release();
                release_.acquire();
            });
        started_.acquire(count_);
    }
    ~GlobalPoolHeld() { release_.release(count_); }

private:
    int count_ = 0;
    QSemaphore started_;
    QSemaphore release_;
};

std::string caught(const std::function<void()>& call)
{
    try {
        call();
    } catch (const vand::sfx::CustomAudioException& e) {
        return e.Priority() + ": " + e.Message();
    }
    return "nothing";
}

} // namespace

class TestSfxReaders : public QObject
{
    Q_OBJECT

private slots:
    void packagedLoadsInTheBackground();
    void packagedFailureIsReported_data();
    void packagedFailureIsReported();
    void userFileDecodes_data();
    void userFileDecodes();
    void userFileRefused_data();
    void userFileRefused();
    void userFileFailingMidwayIsReported();
    void userFileDestroyedWhileDecoding();

private:
    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = dir_.filePath(name);
        std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
        out << bytes;
        out.close();
        if (!out)
            qWarning("Cannot write the fixture %s (disk full?)", qPrintable(path));
        return path;
    }

    QTemporaryDir dir_;
};

// Empty until isReady; then the whole sound, the same range on every call.
void TestSfxReaders::packagedLoadsInTheBackground()
{
    const QString path = write("one-second.sfx", fixtures::Sine(SoundFileFormat::OggVorbis, 44100, 2, 1.0));
    std::unique_ptr<PackagedVorbisFile> file;
    std::unique_ptr<QSignalSpy> ready;
    {
        GlobalPoolHeld held;
        file = std::make_unique<PackagedVorbisFile>(path.toStdString());
        ready = std::make_unique<QSignalSpy>(file.get(), &PackagedVorbisFile::isReady);
        const auto [begin, end] = file->Read();
        QCOMPARE(begin, end);
        QCOMPARE(file->Duration(), 0.0f);
        QCOMPARE(file->ChannelCount(), 0u);
        QCOMPARE(file->SampleRate(), 0.0);
        QCOMPARE(file->BitsPerSample(), 0);
    }
    QVERIFY(ready->wait(10000));
    QCOMPARE(ready->count(), 1);
    const auto [begin, end] = file->Read();
    QCOMPARE(end - begin, 44100 * 2 * 2);
    QCOMPARE(file->Read(), std::make_pair(begin, end));
    QCOMPARE(file->Duration(), 1.0f);
    QCOMPARE(file->ChannelCount(), 2u);
    QCOMPARE(file->SampleRate(), 44100.0);
    QCOMPARE(file->BitsPerSample(), 16);
    QCOMPARE(file->Path(), path.toStdString());
}

void TestSfxReaders::packagedFailureIsReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::string>("bytes");
    QTest::addColumn<QString>("message");
    const std::string ogg = fixtures::Sine(SoundFileFormat::OggVorbis, 44100, 2, 1.0);
    QTest::newRow("missing") << "missing.sfx" << std::string() << "SFX File Failed to Open: %1";
    QTest::newRow("truncated") << "cut.sfx" << fixtures::Truncated(ogg, ogg.size() / 2)
                               << "%1: The Ogg Vorbis data is truncated.";
    QTest::newRow("WAV inside") << "wav.sfx" << fixtures::Sine(SoundFileFormat::Wav16, 44100, 2, 0.1)
                                << "%1: This is not Ogg Vorbis data.";
}

// A file that cannot be played is reported once, by signal; the reader
// stays empty and never becomes ready.
void TestSfxReaders::packagedFailureIsReported()
{
    QFETCH(QString, name);
    QFETCH(std::string, bytes);
    QFETCH(QString, message);
    const QString path = bytes.empty() ? dir_.filePath(name) : write(name, bytes);
    PackagedVorbisFile file(path.toStdString());
    QSignalSpy ready(&file, &PackagedVorbisFile::isReady);
    QSignalSpy failed(&file, &PackagedVorbisFile::loadFailed);
    QVERIFY(failed.wait(10000));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QString("error"));
    QCOMPARE(failed.at(0).at(1).toString(), message.arg(path));
    QCOMPARE(ready.count(), 0);
    const auto [begin, end] = file.Read();
    QCOMPARE(begin, end);
    QCOMPARE(file.Duration(), 0.0f);
    QCOMPARE(file.BitsPerSample(), 0);
}

void TestSfxReaders::userFileDecodes_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("asUrl");
    QTest::newRow("WAV 2.7 s") << int(SoundFileFormat::Wav16) << 44100 << 2 << 2.7 << false;
    QTest::newRow("Ogg Vorbis as Int16") << int(SoundFileFormat::OggVorbis) << 48000 << 1 << 1.25 << false;
    QTest::newRow("float WAV as Int16") << int(SoundFileFormat::WavFloat) << 22050 << 2 << 0.5 << false;
    QTest::newRow("file: URL") << int(SoundFileFormat::Flac) << 44100 << 1 << 0.3 << true;
}

// Decoded off the thread into 16-bit PCM; the duration is frames / rate.
void TestSfxReaders::userFileDecodes()
{
    QFETCH(int, format);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(double, seconds);
    QFETCH(bool, asUrl);
    const QString path = write(QString("user-%1").arg(QTest::currentDataTag()),
                               fixtures::Sine(SoundFileFormat(format), rate, channels, seconds));
    const std::string given = asUrl ? QUrl::fromLocalFile(path).toString().toStdString() : path.toStdString();
    UserAudioFile file(given);
    QSignalSpy ready(&file, &UserAudioFile::isReady);
    // Nothing has reached the reader before its thread's event loop runs.
    QCOMPARE(file.Read().first, file.Read().second);
    QCOMPARE(file.Duration(), 0.0f);
    QVERIFY(ready.wait(10000));
    QCOMPARE(ready.count(), 1);
    const auto frames = std::llround(seconds * rate);
    const auto [begin, end] = file.Read();
    QCOMPARE(end - begin, frames * channels * 2);
    QCOMPARE(file.Duration(), float(double(frames) / rate));
    QCOMPARE(file.ChannelCount(), unsigned(channels));
    QCOMPARE(file.SampleRate(), double(rate));
    QCOMPARE(file.BitsPerSample(), 16);
    QCOMPARE(file.Format().sampleFormat(), QAudioFormat::Int16);
    QCOMPARE(file.Format().channelCount(), channels);
    QCOMPARE(file.Path(), given);
}

void TestSfxReaders::userFileRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::string>("bytes");
    QTest::addColumn<std::string>("thrown");
    QTest::newRow("unknown format") << "words.wav" << std::string("no sound in here")
                                    << std::string("warning: Error decoding audio file: 2");
    QTest::newRow("missing") << "missing.wav" << std::string() << std::string("warning: Error decoding audio file: 1");
    const std::string ogg = fixtures::Sine(SoundFileFormat::OggVorbis, 44100, 2, 1.0);
    QTest::newRow("truncated Ogg Vorbis") << "cut.ogg" << fixtures::Truncated(ogg, ogg.size() / 2)
                                          << std::string("warning: Error decoding audio file: 2");
    QTest::newRow("192.1 kHz") << "fast.wav" << fixtures::Sine(SoundFileFormat::Wav16, 192001, 1, 0.01)
                               << std::string("warning: Error decoding audio file: 4");
}

void TestSfxReaders::userFileRefused()
{
    QFETCH(QString, name);
    QFETCH(std::string, bytes);
    QFETCH(std::string, thrown);
    const QString path = bytes.empty() ? dir_.filePath(name) : write(name, bytes);
    QCOMPARE(caught([&] { UserAudioFile file(path.toStdString()); }), thrown);
}

// An error after the constructor returned is reported by signal, never thrown
// through the event loop, and the reader does not become ready.
void TestSfxReaders::userFileFailingMidwayIsReported()
{
    const std::string flac = fixtures::Sine(SoundFileFormat::Flac, 44100, 2, 2.0);
    const QString path = write("cut.flac", fixtures::Truncated(flac, flac.size() * 2 / 3));
    UserAudioFile file(path.toStdString());
    QSignalSpy ready(&file, &UserAudioFile::isReady);
    QSignalSpy failed(&file, &UserAudioFile::loadFailed);
    QVERIFY(failed.wait(10000));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QString("warning"));
    QCOMPARE(failed.at(0).at(1).toString(), QString("Error decoding audio file: 2"));
    QCOMPARE(ready.count(), 0);
    QCOMPARE(file.Read().first, file.Read().second);
}

// The destructor stops the decoding; nothing reaches the dead reader.
void TestSfxReaders::userFileDestroyedWhileDecoding()
{
    const QString path = write("long.wav", fixtures::Sine(SoundFileFormat::Wav16, 48000, 2, 20.0));
    for (int i = 0; i < 20; ++i) {
        auto file = std::make_unique<UserAudioFile>(path.toStdString());
        QSignalSpy ready(file.get(), &UserAudioFile::isReady);
        file.reset();
        QCoreApplication::processEvents();
        QCOMPARE(ready.count(), 0);
    }
}

QTEST_GUILESS_MAIN(TestSfxReaders)
#include "tst_sfx_readers.moc"
