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

Loudness Listen(int sinkInput, int frames)
{
    QProcess parec;
    parec.start("parec", {QString("--monitor-stream=%1").arg(sinkInput), "--raw", "--format=s16le", "--channels=2",
                          "--rate=44100", "--latency-msec=20"});
    QByteArray bytes;
    const qint64 wanted = qint64(frames) * 4;
    while (bytes.size() < wanted && parec.waitForReadyRead(5000))
        bytes += parec.readAllStandardOutput();
    parec.kill();
    parec.waitForFinished(5000);
    Loudness l;
    const auto* s = reinterpret_cast<const std::int16_t*>(bytes.constData());
    const qint64 n = std::min(wanted, qint64(bytes.size())) / 4;
    for (qint64 i = 0; i < n; ++i) {
        l.first += double(s[2 * i]) * s[2 * i];
        l.second += double(s[2 * i + 1]) * s[2 * i + 1];
    }
    if (n > 0) {
        l.first = std::sqrt(l.first / n) / 32768.0;
        l.second = std::sqrt(l.second / n) / 32768.0;
    }
    return l;
}

} // namespace vand::test
