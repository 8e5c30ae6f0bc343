#pragma once

// What the player controller's sources share (internal): its records of
// readers and players, and its guards for slots and answers.
//
// Threads: the controller's thread only.

#include "kit/Log.h"
#include "sfx/DecodedAudioFile.h"
#include "sfx/SfxPlayerControllerImpl.h"
#include "sfx/SfxPlayerImpl.h"

#include <QString>

#include <exception>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

namespace vand::audio {

// A reader and how far its load has come.
struct SfxPlayerControllerImpl::FileEntry
{
    enum class State { Loading, Ready, Failed };

    std::string key;
    std::shared_ptr<DecodedAudioFile> reader;
    State state = State::Loading;
    QString failurePriority;
    QString failureMessage;
};

// A player with its reader and the runs the controller started on it.
struct SfxPlayerControllerImpl::PlayerEntry
{
    std::unique_ptr<SfxPlayerImpl> player;
    std::shared_ptr<FileEntry> file;
    // Runs started and not yet reported ended.
    int runs = 0;
    // The start position of a play that waits for the file.
    std::optional<double> waiting;
    // Plays a user audio file; its row is named by the file.
    bool custom = false;
};

template <class Action>
void SfxPlayerControllerImpl::guarded_(const char* what, Action&& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        report_(QStringLiteral("error"), QString::fromUtf8(e.what()), QString::fromUtf8(what));
    }
}

template <class T, class Query>
void SfxPlayerControllerImpl::answer_(const std::shared_ptr<std::promise<T>>& promise, Query&& query)
{
    if (!promise)
        return;
    try {
        if constexpr (std::is_void_v<T>) {
            query();
            promise->set_value();
        } else {
            promise->set_value(query());
        }
    } catch (...) {
        promise->set_exception(std::current_exception());
    }
}

} // namespace vand::audio
