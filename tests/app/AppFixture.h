#pragma once

// Fixtures for the application shell's tests: a data folder holding the small
// demo show as the current show (and OSC settings on a free port), a player
// engine on a manual clock whose transport and MIDI calls are recorded (and
// can be made to fail), a MIDI source fed by hand, and a product factory that
// makes that engine.

#include <QByteArray>
#include <QCoreApplication>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../showcontrol/UdpPorts.h"
#include "CL/ChangeLog.h"
#include "DemoShow.h"
#include "app/PelorinPlayerFactory.h"
#include "cmn/ShowIdentity.h"
#include "showcontrol/OscSettings.h"
#include "vand_pelorin/MidiBackend.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace app_test {

namespace fs = std::filesystem;

// MIDI inputs fed by hand. Opening a source named in `refused` fails.
class FakeMidi final : public vand::player::MidiBackend
{
public:
    std::vector<MidiEndPoint> ListSources() override
    {
        std::lock_guard lock(mutex_);
        return sources;
    }
    bool Open(const MidiEndPoint& source, MessageHandler handler) override
    {
        std::lock_guard lock(mutex_);
        if (refused.count(source.GetSourceName()) > 0)
            return false;
        handler_ = std::move(handler);
        return true;
    }
    void Close() override
    {
        std::lock_guard lock(mutex_);
        handler_ = nullptr;
    }
    // Delivers a message as the input's thread would.
    void Send(const std::vector<std::uint8_t>& message)
    {
        MessageHandler handler;
        {
            std::lock_guard lock(mutex_);
            handler = handler_;
        }
        if (handler)
            handler(message);
    }

    std::vector<MidiEndPoint> sources;
    std::set<std::string> refused;

private:
    std::mutex mutex_;
    MessageHandler handler_;
};

// What the test engine records and how it answers; shared between the test,
// the factory and every engine the factory makes.
struct EngineScript
{
    std::mutex mutex;
    std::vector<std::string> calls;
    std::set<std::string> failing; // call names that throw
    bool playing = false;
    bool paused = false;
    bool faded = false;
    bool stopped = true;
    bool seekResult = true;
    std::optional<UInt32> tick;                  // the playhead; the engine's own when empty
    std::optional<std::string> currentSong;      // the engine's own when empty
    CL::NetworkPathVectorT networks;             // answer GetNetwork when not empty
    std::optional<std::vector<int>> clickValues; // answer GetClickValues when set
    // The output device: what SetOutputDeviceUid last took, as
    // GetOutputDeviceUid answers (which throws while failDeviceQuery is set).
    std::string outputDevice;
    bool failDeviceQuery = false;
    bool outputLost = false;      // answers IsOutputLost
    std::optional<double> volume; // answers GetVolume; the engine's own when empty
    std::string tempoScaleWarnings;
    std::string modifiedClickEdits;
    unsigned fixedLoopCount = 0;
    std::string fixedLoopDescription;
    std::vector<std::function<void()>> fadeCompletions;
    // The MIDI inputs of the engines made from now on (none when null).
    std::shared_ptr<vand::player::MidiBackend> midi;
    // The clock of the engine made last: tests pump it to apply queued
    // commands (a song load) or advance it to play.
    std::shared_ptr<vand::player::ManualClock> clock;

    void Record(const std::string& call)
    {
        std::string name = call.substr(0, call.find('('));
        bool fail = false;
        {
            std::lock_guard lock(mutex);
            calls.push_back(call);
            fail = failing.count(name) > 0;
        }
        if (fail)
            throw std::runtime_error("engine refused " + name);
    }
    // The calls so far, oldest first; the record starts again.
    QStringList Take()
    {
        std::lock_guard lock(mutex);
        QStringList out;
        for (const auto& call : calls)
            out << QString::fromStdString(call);
        calls.clear();
        return out;
    }
};

// The product's engine on a manual clock; transport, change-log saves,
// output settings and the load warnings go through the script instead. MIDI
// calls are recorded and then done by the engine.
class TestEngine : public vand::Pelorin2AudioInterface
{
public:
    TestEngine(const std::string& show, const std::string& data, std::shared_ptr<EngineScript> script,
               std::shared_ptr<vand::PlayerOscCallback> osc = nullptr)
        : vand::Pelorin2AudioInterface(show, data, std::move(osc), Options(*script))
        , script_(std::move(script))
    {
    }

    void Play() override { script_->Record("Play"); }
    void Pause(bool fadeCompleted) override { script_->Record(fadeCompleted ? "Pause(true)" : "Pause(false)"); }
    void Stop() override { script_->Record("Stop"); }
    void Continue() override { script_->Record("Continue"); }
    void FlowControlExit() override { script_->Record("FlowControlExit"); }
    void NextSong() override { script_->Record("NextSong"); }
    void PrevSong() override { script_->Record("PrevSong"); }
    void Fade(std::function<void()> done, float seconds) override
    {
        script_->Record("Fade(" + Number(seconds) + ")");
        std::lock_guard lock(script_->mutex);
        script_->fadeCompletions.push_back(std::move(done));
    }
    void FadeTo(std::function<void()> done, float seconds, float level) override
    {
        script_->Record("FadeTo(" + Number(seconds) + "," + Number(level) + ")");
        std::lock_guard lock(script_->mutex);
        script_->fadeCompletions.push_back(std::move(done));
    }
    void CancelFade() override { script_->Record("CancelFade"); }
    void Shutdown() override
    {
        script_->Record("Shutdown");
        vand::Pelorin2AudioInterface::Shutdown();
    }
    bool IsStopped() const override
    {
        script_->Record("IsStopped");
        return script_->stopped;
    }
    bool GetIsPlaying() const override { return script_->playing; }
    bool GetIsPaused() const override { return script_->paused; }
    bool GetIsFaded() const override { return script_->faded; }
    UInt32 GetTickIndex() const override
    {
        return script_->tick ? *script_->tick : vand::Pelorin2AudioInterface::GetTickIndex();
    }
    std::string GetCurrentSongNumber() const override
    {
        return script_->currentSong ? *script_->currentSong : vand::Pelorin2AudioInterface::GetCurrentSongNumber();
    }
    const CL::NetworkPath& GetNetwork(const std::string& id) const override
    {
        if (script_->networks.empty())
            return vand::Pelorin2AudioInterface::GetNetwork(id);
        for (const CL::NetworkPath& n : script_->networks) {
            if (n.NetworkId() == id)
                return n;
        }
        throw std::out_of_range("Unknown network id: " + id);
    }
    std::vector<int> GetClickValues(UInt32 start, UInt32 end) const override
    {
        script_->Record("GetClickValues(" + std::to_string(start) + "," + std::to_string(end) + ")");
        return script_->clickValues ? *script_->clickValues : vand::Pelorin2AudioInterface::GetClickValues(start, end);
    }
    void Seek(UInt32 tick) override
    {
        script_->Record("Seek(" + std::to_string(tick) + ")");
        vand::Pelorin2AudioInterface::Seek(tick);
    }
    void LoadSong(const std::string& song) override
    {
        script_->Record("LoadSong(" + song + ")");
        vand::Pelorin2AudioInterface::LoadSong(song);
    }
    bool SeekToBar(const std::string& bar) override
    {
        script_->Record("SeekToBar(" + bar + ")");
        return script_->seekResult;
    }
    void SeekToNextMeasure() override { script_->Record("SeekToNextMeasure"); }
    void SeekToPreviousMeasure() override { script_->Record("SeekToPreviousMeasure"); }
    void SeekRight() override { script_->Record("SeekRight"); }
    void SeekLeft() override { script_->Record("SeekLeft"); }

    std::string SaveChangelog(unsigned major, unsigned minor) override
    {
        script_->Record("SaveChangelog(" + std::to_string(major) + "," + std::to_string(minor) + ")");
        return "saved.logdata";
    }
    void LoadNewChangeLog() override { script_->Record("LoadNewChangeLog"); }
    void SetChangelogFilename(const std::string& name) override
    {
        script_->Record("SetChangelogFilename(" + name + ")");
    }
    void SetAttacca(const std::string& song, unsigned char state) override
    {
        script_->Record("SetAttacca(" + song + "," + std::to_string(state) + ")");
        vand::Pelorin2AudioInterface::SetAttacca(song, state);
    }

    void SetOutputDeviceUid(const char* uid) override
    {
        script_->Record(std::string("SetOutputDeviceUid(") + uid + ")");
        std::lock_guard lock(script_->mutex);
        script_->outputDevice = uid;
    }
    std::string GetOutputDeviceUid() const override
    {
        std::lock_guard lock(script_->mutex);
        if (script_->failDeviceQuery)
            throw std::runtime_error("engine refused GetOutputDeviceUid");
        return script_->outputDevice;
    }
    bool IsOutputLost() const override
    {
        std::lock_guard lock(script_->mutex);
        return script_->outputLost;
    }
    double GetVolume() const override
    {
        return script_->volume ? *script_->volume : vand::Pelorin2AudioInterface::GetVolume();
    }
    void SetVolume(double gain, vand_audio::VolumeType type) override
    {
        script_->Record("SetVolume(" + Number(gain) + "," + std::to_string(int(type)) + ")");
    }
    void SetVolume(double gain) override { script_->Record("SetVolume(" + Number(gain) + ")"); }
    void SetOscControlDefaultPort(std::uint16_t port) override
    {
        script_->Record("SetOscControlDefaultPort(" + std::to_string(port) + ")");
        vand::Pelorin2AudioInterface::SetOscControlDefaultPort(port);
    }
    void DoOscProcessing(bool on) override
    {
        script_->Record(on ? "DoOscProcessing(true)" : "DoOscProcessing(false)");
        vand::Pelorin2AudioInterface::DoOscProcessing(on);
    }

    void LearnMidiCommand(unsigned char cmd) override
    {
        script_->Record("LearnMidiCommand(" + std::to_string(cmd) + ")");
        vand::Pelorin2AudioInterface::LearnMidiCommand(cmd);
    }
    void SetMidiCommand(unsigned char cmd, unsigned char status, unsigned char channel, unsigned char note) override
    {
        script_->Record("SetMidiCommand(" + std::to_string(cmd) + "," + std::to_string(status) + ","
                        + std::to_string(channel) + "," + std::to_string(note) + ")");
        vand::Pelorin2AudioInterface::SetMidiCommand(cmd, status, channel, note);
    }
    void SetMidiSource(int index) override
    {
        script_->Record("SetMidiSource(" + std::to_string(index) + ")");
        vand::Pelorin2AudioInterface::SetMidiSource(index);
    }

    std::string GetTempoScaleWarnings() const override { return script_->tempoScaleWarnings; }
    std::string GetModifiedClickEditLog() const override { return script_->modifiedClickEdits; }
    unsigned GetInvertedLoopEventCount() const override { return script_->fixedLoopCount; }
    std::string GetInvertedLoopEventDescription() const override { return script_->fixedLoopDescription; }

    static std::string Number(double value)
    {
        std::ostringstream text;
        text << value;
        return text.str();
    }

private:
    static vand::player::EngineOptions Options(EngineScript& script)
    {
        vand::player::EngineOptions options;
        script.clock = std::make_shared<vand::player::ManualClock>();
        options.clock = script.clock;
        options.midi = script.midi;
        return options;
    }

    std::shared_ptr<EngineScript> script_;
};

// The product's identity with the test engine.
class TestFactory : public vand::qt::PelorinPlayerFactory
{
public:
    std::shared_ptr<EngineScript> script = std::make_shared<EngineScript>();
    std::exception_ptr createError; // thrown by CreateAudioInterface when set
    int created = 0;
    std::shared_ptr<vand::PlayerOscCallback> oscCallback; // the last one handed over

    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString& showFolder,
                                                         std::shared_ptr<vand::PlayerOscCallback> osc) override
    {
        ++created;
        oscCallback = osc;
        if (createError)
            std::rethrow_exception(createError);
        auto engine =
            std::make_unique<TestEngine>(showFolder.toStdString(), DataFolderPath().toStdString(), script, osc);
        engine->ThrowIfThreadExceptions();
        return engine;
    }
};

// The product's identity with its own engine on a manual clock, nothing
// recorded: change logs are really written and read.
class ClockFactory : public vand::qt::PelorinPlayerFactory
{
public:
    std::shared_ptr<vand::player::ManualClock> clock;

    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString& showFolder,
                                                         std::shared_ptr<vand::PlayerOscCallback>) override
    {
        clock = std::make_shared<vand::player::ManualClock>();
        vand::player::EngineOptions options;
        options.clock = clock;
        auto engine = std::make_unique<vand::Pelorin2AudioInterface>(showFolder.toStdString(),
                                                                     DataFolderPath().toStdString(), nullptr, options);
        engine->ThrowIfThreadExceptions();
        return engine;
    }
};

// A data folder (the standard data location of this process) holding the
// small demo show as the current show, and OSC settings listening on a free
// port (oscPort).
class DataFolder
{
public:
    DataFolder()
    {
        data = fs::path(dir_.path().toStdString()) / "pelorin";
        show = data / "shows" / "demo";
        vand::demo::DemoOptions options;
        options.small = true;
        vand::demo::WriteDemoShow(show, options);
        vand::ShowIdentityService(data).SetCurrent(
            {vand::demo::kDemoIdentifier, vand::demo::kDemoShowName, vand::demo::kDemoOrganisation, "shows/demo"});
        oscPort = vand::test::FreeUdpPort();
        vand::osc::OscSettings(true, oscPort).Save((data / "osc_settings.vand").string());
        Activate();
    }

    // Makes this folder the process's data folder again (after another one).
    void Activate() const
    {
        qputenv("XDG_DATA_HOME", QByteArray(dir_.path().toUtf8()));
        vand::SetDefaultDataFolder(data);
    }

    fs::path data;
    fs::path show;
    quint16 oscPort = 0;

private:
    QTemporaryDir dir_;
};

// Runs action inside the application's event loop and returns the exit code
// it asked for with QCoreApplication::exit, or kNoExit when it asked for none.
inline constexpr int kNoExit = 99;
inline int ExitCodeOf(const std::function<void()>& action)
{
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        action();
        QTimer::singleShot(0, &scope, [] { QCoreApplication::exit(kNoExit); });
    });
    return QCoreApplication::exec();
}

} // namespace app_test
