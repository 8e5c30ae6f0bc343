#pragma once

// The edit panel's playlist: the show's songs in show order with their
// attacca states. A row click loads the song; a click on a row's state icon
// steps the song's state (plays -> continue -> x -> plays) and reports it.
//
// Threads: GUI thread only. Player calls may throw; the slots the view calls
// catch and report through `error`.

#include <QAbstractListModel>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cmn/Types.h"
#include "ui/QmlController.h"

class Interface;
class QQuickItem;

namespace vand::qt {

// One song row. attacca: 0 plays when cued, 1 continues into the next song,
// 2 is skipped.
struct SongListEntry
{
    std::string songNumber;
    std::string songName;
    unsigned char attacca = 0;
};

class SongListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { SongNumberRole = Qt::UserRole + 1, StatusRole, SongNameRole };

    explicit SongListModel(std::vector<SongListEntry> rows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Steps the song's state and returns it; nothing (and a line on the
    // standard error stream) for a song that has no row.
    std::optional<UInt8> CycleAttacca(const std::string& songNumber);
    // Stores the states in row order, stopping at the shorter of the two;
    // only rows that change report it.
    void UpdateAttaccaStates(const std::vector<unsigned char>& states);
    // The first row of the song; the row count when there is none.
    int RowOfSong(const std::string& songNumber) const;
    std::string SongNumberAt(int row) const;
    unsigned char AttaccaAt(int row) const;

    // "plays", "continue", "x"; an invalid value for any other state.
    static QVariant StatusText(unsigned char attacca);

private:
    std::vector<SongListEntry> rows_;
};

class SongListController : public QmlController
{
    Q_OBJECT
public:
    SongListController(QQuickItem* view, Interface* player);
    ~SongListController() override;

    // Makes the loaded song's row current.
    void SelectLoadedSong(const std::string& songNumber);
    // Reads every song's state from the player again.
    void RefreshAttaccaStates();

    SongListModel* GetModel() const { return model_.get(); }

signals:
    void AttaccaStateChanged(std::string songNum, UInt8 state);

public slots:
    void ItemClicked_(int index);
    void AttaccaStateChanged_(QString songNumber);

private:
    std::unique_ptr<SongListModel> model_;
    Interface* player_ = nullptr;
};

} // namespace vand::qt

Q_DECLARE_METATYPE(vand::qt::SongListModel*)
