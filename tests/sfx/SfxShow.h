#pragma once

// A show's sound effects for the controller's tests and benchmarks: the demo
// catalogue where the library looks for it, and a real change-log editor,
// active, whose store the process's player controller owns.

#include "CL/Editor.h"
#include "sfx/SfxDto.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>

class QTemporaryDir;

namespace vand::audio {
class SfxPlayerControllerImpl;
class SfxRepository;
} // namespace vand::audio

namespace vand::test {

// Points the generic data locations into `dir` and writes the demo catalogue
// under its "share" folder, the first data folder (XDG_DATA_DIRS).
void InstallDemoCatalogue(const QTemporaryDir& dir);

// Why the audio tests cannot run (the private sound server did not start or
// is not set up), or an empty text.
QString SoundServerMissing();
// Why no sound server answers where PULSE_SERVER points, or an empty text.
QString SoundServerSilent();

} // namespace vand::test

// In initTestCase of an audio test: fails when the private sound server did
// not start or is not set up, skips with the reason when PULSE_SERVER names a
// server that does not answer.
#define VAND_REQUIRE_SOUND_SERVER()                                                                                    \
    do {                                                                                                               \
        if (const QString missing = vand::test::SoundServerMissing(); !missing.isEmpty())                              \
            QFAIL(qPrintable(missing));                                                                                \
        if (const QString silent = vand::test::SoundServerSilent(); !silent.isEmpty())                                 \
            QSKIP(qPrintable(silent));                                                                                 \
    } while (false)

namespace vand::test {

class SfxShow
{
public:
    // Makes its change log the active one.
    SfxShow();
    ~SfxShow();

    // The process's controller, made over this show's store on the calling
    // thread the first time.
    vand::audio::SfxPlayerControllerImpl* Controller();

    // A new event of the effect (ambient for "rain"); its event id.
    std::string Add(const std::string& effectId, const std::string& name, int repeats = 0, float volume = 1.0f);
    void Update(const std::string& eventId, const std::function<void(vand::audio::sfx::SfxDto&)>& change);
    void Delete(const std::string& eventId);
    // Deletes every event, cuts every sound and reloads, so that every
    // player is pruned; true once the active-audio list is empty.
    bool Clear();
    vand::audio::SfxRepository& Store();

private:
    CL::Editor editor_;
    std::unique_ptr<vand::audio::SfxRepository> owned_;
    vand::audio::SfxRepository* store_ = nullptr;
    vand::audio::SfxPlayerControllerImpl* controller_ = nullptr;
};

} // namespace vand::test
