#include "SoundServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <cmath>
#include <map>

#include <pulse/simple.h>

namespace vand::test {

namespace {

constexpr int kRate = 48000;

} // namespace

QString SoundServerProblem()
{
    const QByteArray failure = qgetenv("VAND_AUDIO_ERROR");
    if (!failure.isEmpty())
        return "The test sound server did not start: " + QString::fromUtf8(failure);
    const QByteArray server = qgetenv("PULSE_SERVER");
    if (server.isEmpty())
        return "PULSE_SERVER is not set: the audio tests run through scripts/test, which starts a private sound "
               "server (scripts/start-audio).";
    bool ok = false;
    const QString sinks = Pactl({"list", "short", "sinks"}, &ok);
    if (!ok)
        return "No PulseAudio server answers at " + QString::fromUtf8(server);
    for (const char* name : {"null", "null2"}) {
        if (!sinks.contains(QRegularExpression(QStringLiteral("\\t%1\\t").arg(QLatin1String(name)))))
            return QStringLiteral("The test sound server has no sink \"%1\" (scripts/start-audio loads it)").arg(name);
    }
    return {};
}

QString Pactl(const QStringList& arguments, bool* ok)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    const bool finished = process.waitForFinished(10000);
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

OwnNullSink::OwnNullSink(const QString& name)
    : name_(name)
{
    bool ok = false;
    const QString module = Pactl({"load-module", "module-null-sink", "sink_name=" + name}, &ok);
    if (ok)
        module_ = module;
}

OwnNullSink::~OwnNullSink()
{
    Unload();
}

void OwnNullSink::Unload()
{
    if (!module_.isEmpty())
        Pactl({"unload-module", module_});
    module_.clear();
}

QStringList SinksOfOurStreams()
{
    std::map<QString, QString> sinkNames; // index -> name
    for (const QString& line : Pactl({"list", "short", "sinks"}).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        if (fields.size() > 1)
            sinkNames[fields[0]] = fields[1];
    }
    // Inputs carry their client's process id in the long listing.
    const QString pid = QString::number(QCoreApplication::applicationPid());
    QStringList sinks;
    QString sink;
    for (const QString& raw : Pactl({"list", "sink-inputs"}).split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("Sink Input #")))
            sink.clear();
        else if (line.startsWith(QLatin1String("Sink: ")))
            sink = line.mid(6);
        else if (line == QStringLiteral("application.process.id = \"%1\"").arg(pid) && !sink.isEmpty())
            sinks << sinkNames[sink];
    }
    return sinks;
}

namespace {

// A mono recording of the sink's monitor in 10 ms fragments; null when the
// server refuses it.
pa_simple* OpenMonitor(const std::string& sink)
{
    pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, kRate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = 4 * 480;
    const std::string source = sink + ".monitor";
    int error = 0;
    return pa_simple_new(nullptr, "vand_tests", PA_STREAM_RECORD, source.c_str(), "record", &spec, nullptr, &attr,
                         &error);
}

} // namespace

std::vector<float> RecordMonitor(const std::string& sink, double ms)
{
    pa_simple* stream = OpenMonitor(sink);
    int error = 0;
    if (!stream)
        return {};
    std::vector<float> samples(static_cast<size_t>(std::llround(ms * kRate / 1000.0)));
    if (pa_simple_read(stream, samples.data(), samples.size() * sizeof(float), &error) < 0)
        samples.clear();
    pa_simple_free(stream);
    return samples;
}

bool HeardOn(const std::string& sink, double level, double limitMs)
{
    pa_simple* stream = OpenMonitor(sink);
    int error = 0;
    if (!stream)
        return false;
    bool heard = false;
    std::vector<float> chunk(kRate / 100);
    for (double taken = 0.0; !heard && taken < limitMs; taken += 10.0) {
        if (pa_simple_read(stream, chunk.data(), chunk.size() * sizeof(float), &error) < 0)
            break;
        heard = Rms(chunk, 0, 10) > level;
    }
    pa_simple_free(stream);
    return heard;
}

double Rms(const std::vector<float>& samples, double fromMs, double toMs)
{
    const auto from = static_cast<size_t>(std::max(0.0, fromMs) * kRate / 1000.0);
    const auto to = std::min(samples.size(), static_cast<size_t>(toMs * kRate / 1000.0));
    if (to <= from)
        return 0.0;
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(to - from));
}

} // namespace vand::test
