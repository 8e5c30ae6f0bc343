#include "SfxShow.h"

#include "CL/ActiveChangeLog.h"
#include "DemoSfx.h"
#include "sfx/ActiveAudioListModel.h"
#include "sfx/SfxPlayerControllerImpl.h"
#include "sfx/SfxRepository.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <iostream>
#include <sstream>

namespace vand::test {

using vand::audio::sfx::SfxDto;

namespace {

// The store writes a line for each event it writes.
class QuietOutput
{
public:
    QuietOutput()
        : previous_(std::cout.rdbuf(sink_.rdbuf()))
    {
    }
    ~QuietOutput() { std::cout.rdbuf(previous_); }

private:
    std::ostringstream sink_;
    std::streambuf* previous_;
};

} // namespace

void InstallDemoCatalogue(const QTemporaryDir& dir)
{
    qputenv("XDG_DATA_HOME", dir.filePath("home").toUtf8());
    qputenv("XDG_DATA_DIRS", dir.filePath("share").toUtf8());
    vand::demo::WriteDemoSfx(dir.filePath("share").toStdString());
}

QString SoundServerMissing()
{
    const QByteArray failure = qgetenv("VAND_AUDIO_ERROR");
    if (!failure.isEmpty())
        return "The test sound server did not start: " + QString::fromUtf8(failure);
    if (!qgetenv("PULSE_SERVER").isEmpty())
        return {};
    return "PULSE_SERVER is not set: the test sound server did not start (scripts/test starts it with "
           "scripts/start-audio)";
}

QString SoundServerSilent()
{
    QProcess pactl;
    pactl.start("pactl", {"info"});
    if (pactl.waitForFinished(10000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0)
        return {};
    return "No sound server answers at PULSE_SERVER=" + QString::fromUtf8(qgetenv("PULSE_SERVER"))
           + ": these tests play on the private one (scripts/start-audio starts it)";
}

SfxShow::SfxShow()
    : owned_(std::make_unique<vand::audio::ChangeLogSfxRepository>(&editor_))
    , store_(owned_.get())
{
    editor_.MakeActive();
}

SfxShow::~SfxShow()
{
    CL::SetActiveChangeLog(nullptr);
}

vand::audio::SfxPlayerControllerImpl* SfxShow::Controller()
{
    if (!controller_)
        controller_ = vand::audio::SfxPlayerControllerImpl::instance(owned_);
    return controller_;
}

vand::audio::SfxRepository& SfxShow::Store()
{
    return *store_;
}

std::string SfxShow::Add(const std::string& effectId, const std::string& name, int repeats, float volume)
{
    QuietOutput quiet;
    const std::string eventId = store_->GenerateEventId();
    store_->Save(SfxDto::builder()
                     .name(name)
                     .effectId(effectId)
                     .eventId(eventId)
                     .repeats(repeats)
                     .volume(volume)
                     .type(effectId == "rain" ? vand::audio::SfxType::AMBIENT : vand::audio::SfxType::PRIMARY)
                     .build());
    return eventId;
}

void SfxShow::Update(const std::string& eventId, const std::function<void(SfxDto&)>& change)
{
    QuietOutput quiet;
    SfxDto record = store_->GetById(eventId).value();
    change(record);
    store_->Update(eventId, record);
}

void SfxShow::Delete(const std::string& eventId)
{
    QuietOutput quiet;
    store_->Delete(eventId);
}

bool SfxShow::Clear()
{
    for (const SfxDto& record : store_->Get())
        Delete(record.eventId());
    auto* controller = Controller();
    controller->stop(true);
    const auto list = controller->getActiveAudioList();
    for (int row = 0; row < list->rowCount(); ++row)
        list->setData(list->index(row), false, vand::sfx::ActiveAudioListModel::IsPinnedRole);
    controller->onSoundEffectsChanged();
    return QTest::qWaitFor([&] { return list->rowCount() == 0; }, 10000);
}

} // namespace vand::test
