#include "SinkMonitor.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTest>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vand::test {

std::set<int> OurSinkInputs()
{
    QProcess pactl;
    pactl.start("pactl", {"--format=json", "list", "sink-inputs"});
    if (!pactl.waitForFinished(10000))
        return {};
    std::set<int> ours;
    const QString pid = QString::number(::getpid());
    for (const QJsonValue& v : QJsonDocument::fromJson(pactl.readAllStandardOutput()).array()) {
        const QJsonObject input = v.toObject();
        if (input["properties"].toObject()["application.process.id"].toString() == pid)
            ours.insert(input["index"].toInt());
    }
    return ours;
}

int NewSinkInput(const std::set<int>& before)
{
    int found = -1;
    const bool appeared = QTest::qWaitFor(
        [&] {
            for (int index : OurSinkInputs()) {
                if (!before.count(index))
                    found = index;
            }
            return found >= 0;
        },
        10000);
    return appeared ? found : -1;
}

namespace {

// `frames` frames (s16le stereo) of the sink input's monitor.
QByteArray Record(int sinkInput, qint64 frames)
{
    QProcess parec;
    parec.start("parec", {QString("--monitor-stream=%1").arg(sinkInput), "--raw", "--format=s16le", "--channels=2",
                          "--rate=44100", "--latency-msec=20"});
    QByteArray bytes;
    const qint64 wanted = frames * 4;
    while (bytes.size() < wanted && parec.waitForReadyRead(5000))
        bytes += parec.readAllStandardOutput();
    parec.kill();
    parec.waitForFinished(5000);
    return bytes.left(wanted);
}

Loudness LoudnessOf(const QByteArray& bytes, qint64 firstFrame, qint64 frames)
{
    Loudness l;
    const auto* s = reinterpret_cast<const std::int16_t*>(bytes.constData());
    const qint64 end = std::min(firstFrame + frames, qint64(bytes.size()) / 4);
    const qint64 n = end - firstFrame;
    for (qint64 i = firstFrame; i < end; ++i) {
        l.first += double(s[2 * i]) * s[2 * i];
        l.second += double(s[2 * i + 1]) * s[2 * i + 1];
    }
    if (n > 0) {
        l.first = std::sqrt(l.first / n) / 32768.0;
        l.second = std::sqrt(l.second / n) / 32768.0;
    }
    return l;
}

} // namespace

Loudness Listen(int sinkInput, int frames)
{
    return LoudnessOf(Record(sinkInput, frames), 0, frames);
}

std::vector<Loudness> ListenInWindows(int sinkInput, int windows, int windowFrames)
{
    const QByteArray bytes = Record(sinkInput, qint64(windows) * windowFrames);
    std::vector<Loudness> trace;
    for (int w = 0; w < windows; ++w)
        trace.push_back(LoudnessOf(bytes, qint64(w) * windowFrames, windowFrames));
    return trace;
}

} // namespace vand::test
