#include "model/ShowManager.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QUrl>
#include <exception>
#include <stdexcept>

#include "CL/Editor.h"
#include "cmn/VandEvent.h"
#include "kit/Log.h"
#include "ui/QmlEngineSetup.h"
#include "ui/ViewProperty.h"

namespace vand {

void ShowWarningWindow(const std::string& text)
{
    auto* view = new QQuickView();
    qt::PrepareQmlEngine(*view->engine());
    view->setSource(QUrl(QStringLiteral("qrc:/qt/qml/com/tarnwick/vand_ui/qml/MessageBox.qml")));
    if (QObject* box = view->rootObject())
        qt::SetViewProperty(box, "text", QString::fromStdString(text));
    else
        kit::Log(kit::LogLevel::Error, "shell", "The warning window could not be shown: " + text);
    QObject::connect(view, SIGNAL(closing(QQuickCloseEvent*)), view, SLOT(deleteLater()));
    view->show();
}

ShowManager::ShowManager(std::shared_ptr<Interface> player)
{
    SetPlayer(std::move(player));
}

Interface& ShowManager::Player() const
{
    if (!player_)
        throw std::runtime_error("No show is loaded.");
    return *player_;
}

void ShowManager::SetPlayer(std::shared_ptr<Interface> player)
{
    if (player_)
        throw std::runtime_error("You must delete the previous player before instantiating a new one!");
    if (!player)
        throw std::invalid_argument("ShowManager needs a player.");
    player_ = std::move(player);
    ReadSongs();
    AskAttaccaStates();
    showFolder_ = player_->GetShowDirectory();
    editor_ = player_->GetChangeLogEditor();
    ShowTempoScaleWarnings();
    ShowModifiedClickEdits();
    ShowFixedLoops();
}

void ShowManager::ReleasePlayer()
{
    try {
        if (player_)
            player_->Shutdown();
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "shell", std::string("Shutting the player down failed: ") + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "shell", "Shutting the player down failed");
    }
    try {
        player_.reset();
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "shell", std::string("Releasing the player failed: ") + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "shell", "Releasing the player failed");
    }
    editor_ = nullptr;
}

void ShowManager::ReadSongs()
{
    songTable_ = player_->GetSongNamesBySongNumber();
    songList_.clear();
    for (const auto& [number, name] : songTable_)
        songList_.emplace_back(number, name);
}

void ShowManager::AskAttaccaStates()
{
    for (const auto& entry : songList_)
        player_->GetAttacca(entry.first);
}

void ShowManager::ShowTempoScaleWarnings()
{
    const std::string text = player_->GetTempoScaleWarnings();
    if (!text.empty())
        ShowWarningWindow(text);
}

void ShowManager::ShowModifiedClickEdits()
{
    const std::string text = player_->GetModifiedClickEditLog();
    if (!text.empty())
        ShowWarningWindow(text);
}

void ShowManager::ShowFixedLoops()
{
    if (player_->GetInvertedLoopEventCount() == 0)
        return;
    ShowWarningWindow(std::string("We have detected and automatically fixed some unusual")
                      + " change log edits. Please review the following changes to"
                      + " ensure that they work as you expect.\n\n" + player_->GetInvertedLoopEventDescription());
}

CL::Editor* ShowManager::PauseAndGetEditor()
{
    Player().Pause(false);
    return editor_;
}

void ShowManager::SetChangelogFilename(const std::string& fileName)
{
    if (!player_)
        return;
    player_->SetChangelogFilename(fileName);
    player_->Pause(false);
    editor_ = player_->GetChangeLogEditor();
    AskAttaccaStates();
    ShowModifiedClickEdits();
    ShowTempoScaleWarnings();
    ShowFixedLoops();
}

void ShowManager::SelectSongLogForEditing(const std::string& song)
{
    if (editor_)
        editor_->SelectSongLogForEditing(song);
}

std::string ShowManager::GetCurrentSongNumber() const
{
    return Player().GetCurrentSongNumber();
}

UInt32 ShowManager::GetSongLength(const std::string& song) const
{
    return Player().GetSongLength(song);
}

UInt32 ShowManager::GetSongStartTickIndex(const std::string& song) const
{
    return Player().GetSongStartTickIndex(song);
}

std::string ShowManager::GetBarString(int tick) const
{
    const std::shared_ptr<Interface> player = player_;
    if (!player)
        throw std::runtime_error("No show is loaded.");
    return player->GetBarString(static_cast<UInt32>(tick));
}

std::vector<std::pair<cmn::VandEvent*, std::string>> ShowManager::GetMarkers()
{
    const std::vector<cmn::VandEvent*> markers = Player().GetMarkers();
    std::vector<std::pair<cmn::VandEvent*, std::string>> result;
    result.reserve(markers.size());
    for (cmn::VandEvent* marker : markers) {
        if (marker)
            result.emplace_back(marker, player_->GetBarString(marker->start()));
    }
    return result;
}

std::vector<std::unique_ptr<cmn::VandEvent>> ShowManager::GetChangeLogPanelEvents()
{
    return Player().GetChangeLogPanelEvents();
}

std::string ShowManager::GetLogVersion() const
{
    return Player().GetLogVersion();
}

} // namespace vand
