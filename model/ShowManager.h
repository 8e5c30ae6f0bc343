#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "vand_player_core/Interface.h"

namespace CL {
class Editor;
}
namespace cmn {
class VandEvent;
}

namespace vand {

// The working context of the loaded show: the one player engine and its
// change-log editor. Every change to the change log goes through
// PauseAndGetEditor, so playback pauses first.
class ShowManager
{
public:
    explicit ShowManager(std::shared_ptr<Interface> player);
    ShowManager(const ShowManager&) = delete;
    ShowManager& operator=(const ShowManager&) = delete;

    // Throws std::runtime_error when a player is already set.
    void SetPlayer(std::shared_ptr<Interface> player);
    // Shuts the player down and lets go of it; never throws.
    void ReleasePlayer();
    std::shared_ptr<Interface> GetPlayer() const { return player_; }

    CL::Editor* PauseAndGetEditor();
    CL::Editor* GetEditor() const { return editor_; }

    // Switches the change-log version; the editor pointer is replaced. Does
    // nothing without a player.
    void SetChangelogFilename(const std::string& fileName);
    void SelectSongLogForEditing(const std::string& song);

    std::string GetCurrentSongNumber() const;
    UInt32 GetSongLength(const std::string& song) const;
    UInt32 GetSongStartTickIndex(const std::string& song) const;
    std::string GetBarString(int tick) const;
    std::vector<std::pair<cmn::VandEvent*, std::string>> GetMarkers();
    std::vector<std::unique_ptr<cmn::VandEvent>> GetChangeLogPanelEvents();
    std::string GetLogVersion() const;

    const SongNameMap& GetSongTable() const { return songTable_; }
    const std::vector<std::pair<std::string, std::string>>& GetSongList() const { return songList_; }
    const std::filesystem::path& GetShowFolder() const { return showFolder_; }

private:
    Interface& Player() const;
    void ReadSongs();
    void AskAttaccaStates();
    void ShowTempoScaleWarnings();
    void ShowModifiedClickEdits();
    void ShowFixedLoops();

    std::shared_ptr<Interface> player_;
    SongNameMap songTable_;
    std::vector<std::pair<std::string, std::string>> songList_;
    std::filesystem::path showFolder_;
    CL::Editor* editor_ = nullptr;
};

// Shows text in a MessageBox window of its own (a QQuickView with its own
// engine); the window is deleted once the user closes it.
void ShowWarningWindow(const std::string& text);

} // namespace vand
