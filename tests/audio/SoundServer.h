#pragma once

// The private PulseAudio daemon that scripts/test starts (scripts/start-audio),
// reached through PULSE_SERVER: its null sinks "null" (the default) and
// "null2", both "Null Output", sinks of a test's own, what plays where, and
// recordings of a sink's monitor.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace vand::test {

// Why the test sound server cannot be used; empty when it answers.
QString SoundServerProblem();

// pactl's standard output, trimmed; ok tells whether it succeeded.
QString Pactl(const QStringList& arguments, bool* ok = nullptr);

// A null sink of the caller's own (described "Null Output"), unloaded when it
// goes unless unloaded before.
class OwnNullSink
{
public:
    explicit OwnNullSink(const QString& name);
    ~OwnNullSink();
    OwnNullSink(const OwnNullSink&) = delete;
    OwnNullSink& operator=(const OwnNullSink&) = delete;

    bool Loaded() const { return !module_.isEmpty(); }
    const QString& Name() const { return name_; }
    void Unload();

private:
    QString name_;
    QString module_;
};

// The names of the sinks that streams of this process play on (one entry
// per stream).
QStringList SinksOfOurStreams();

// Records `ms` of a sink's monitor (48 kHz, mono float); blocks until done.
// Empty when the monitor cannot be recorded.
std::vector<float> RecordMonitor(const std::string& sink, double ms);
// Records a sink's monitor until 10 ms of it pass `level` (root mean square):
// false when that is not heard within `limitMs`.
bool HeardOn(const std::string& sink, double level, double limitMs);
// Root mean square of samples from fromMs to toMs of a recording.
double Rms(const std::vector<float>& samples, double fromMs, double toMs);

} // namespace vand::test
