#include "edit/SongList.h"

#include <QQuickItem>
#include <iostream>
#include <stdexcept>

#include "EditSupport.h"
#include "RowVector.h"
#include "kit/Log.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

SongListModel::SongListModel(std::vector<SongListEntry> rows)
    : rows_(std::move(rows))
{
}

int SongListModel::rowCount(const QModelIndex&) const
{
    return static_cast<int>(rows_.size());
}

QVariant SongListModel::StatusText(unsigned char attacca)
{
    switch (attacca) {
    case 0:
        return QStringLiteral("plays");
    case 1:
        return QStringLiteral("continue");
    case 2:
        return QStringLiteral("x");
    default:
        return {};
    }
}

QVariant SongListModel::data(const QModelIndex& index, int role) const
{
    const SongListEntry* found = RowOf(rows_, index);
    if (!found)
        return {};
    const SongListEntry& row = *found;
    switch (role) {
    case SongNumberRole:
        return QString::fromStdString(row.songNumber);
    case StatusRole:
        return StatusText(row.attacca);
    case SongNameRole:
        return QString::fromStdString(row.songName);
    default:
        return {};
    }
}

QHash<int, QByteArray> SongListModel::roleNames() const
{
    return {{SongNumberRole, "song_number"}, {StatusRole, "status"}, {SongNameRole, "song_name"}};
}

std::optional<UInt8> SongListModel::CycleAttacca(const std::string& songNumber)
{
    const int row = RowOfSong(songNumber);
    if (row >= rowCount()) {
        kit::Log(kit::LogLevel::Error, "edit", "Invalid index for attacca state change.");
        return std::nullopt;
    }
    SongListEntry& entry = rows_[static_cast<std::size_t>(row)];
    entry.attacca = static_cast<unsigned char>((entry.attacca + 1) % 3);
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {});
    std::cout << "New state = " << StatusText(entry.attacca).toString().toStdString() << std::endl;
    return entry.attacca;
}

void SongListModel::UpdateAttaccaStates(const std::vector<unsigned char>& states)
{
    const std::size_t count = std::min(rows_.size(), states.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (rows_[i].attacca == states[i])
            continue;
        rows_[i].attacca = states[i];
        const QModelIndex changed = index(static_cast<int>(i));
        emit dataChanged(changed, changed, {});
    }
}

int SongListModel::RowOfSong(const std::string& songNumber) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].songNumber == songNumber)
            return static_cast<int>(i);
    }
    return rowCount();
}

std::string SongListModel::SongNumberAt(int row) const
{
    return RowAt(rows_, row).songNumber;
}

unsigned char SongListModel::AttaccaAt(int row) const
{
    return RowAt(rows_, row).attacca;
}

SongListController::SongListController(QQuickItem* view, Interface* player)
    : QmlController(view, nullptr)
    , player_(player)
{
    if (!player_)
        throw std::invalid_argument("The song list needs a player.");
    std::vector<SongListEntry> rows;
    for (const auto& [number, name] : player_->GetSongNamesBySongNumber())
        rows.push_back({number, name, player_->GetAttacca(number)});
    model_ = std::make_unique<SongListModel>(std::move(rows));
    SetViewProperty(rootObject_, "model", QVariant::fromValue(static_cast<QObject*>(model_.get())));
    if (rootObject_) {
        connect(rootObject_, SIGNAL(itemClicked(int)), this, SLOT(ItemClicked_(int)));
        connect(rootObject_, SIGNAL(attaccaStateChanged(QString)), this, SLOT(AttaccaStateChanged_(QString)));
    }
}

SongListController::~SongListController()
{
    // The view outlives this controller: it must not show a deleted model,
    // and what it reports while it lets go of the rows reaches no one.
    if (rootObject_) {
        disconnect(rootObject_, nullptr, this, nullptr);
        rootObject_->setProperty("model", QVariant());
    }
}

void SongListController::ItemClicked_(int index)
{
    const bool loaded = ReportFailure(this, kPlaybackErrorTitle, [&] {
        std::cout << "Index Changed: " << index << std::endl;
        const std::string song = model_->SongNumberAt(index);
        if (!song.empty() && song != player_->GetCurrentSongNumber())
            player_->LoadSong(song);
    });
    // A song that cannot be loaded (its audio is missing) is not shown as the current one.
    if (!loaded)
        SelectLoadedSong(player_->GetCurrentSongNumber());
}

void SongListController::AttaccaStateChanged_(QString songNumber)
{
    const std::string song = songNumber.toStdString();
    if (const std::optional<UInt8> state = model_->CycleAttacca(song))
        emit AttaccaStateChanged(song, *state);
}

void SongListController::SelectLoadedSong(const std::string& songNumber)
{
    const int row = model_->RowOfSong(songNumber);
    if (!rootObject_)
        return;
    if (rootObject_->property("currentIndex").toInt() != row) {
        SetViewProperty(rootObject_, "currentIndex", row);
        std::cout << "Setting to New Index!\n";
    } else {
        std::cout << "Already at loaded song index\n";
    }
}

void SongListController::RefreshAttaccaStates()
{
    std::vector<unsigned char> states;
    for (const auto& entry : player_->GetSongNamesBySongNumber())
        states.push_back(player_->GetAttacca(entry.first));
    model_->UpdateAttaccaStates(states);
}

} // namespace vand::qt
