#pragma once

// The edit panel's marker list: the current song's markers, stably sorted by
// tick (the edit model keeps its markers in the same order, so a row indexes
// them), with the row of the marker the playhead passed last shaded. A row
// chosen in the view is published as notify::names::EVT_MARKER_PANEL_SELECTED
// and reported as CurrentItemChangedSignal, unless the controller's own
// signals are blocked (while it sets the row itself).
//
// Threads: GUI thread only. Refresh and SelectMarker let engine errors through.

#include <QAbstractListModel>
#include <memory>
#include <optional>
#include <vector>

#include "model/SelectionRecords.h"
#include "ui/QmlController.h"

namespace cmn {
class VandEvent;
}

namespace vand::qt {

class EditModel;

class MarkerListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { NameRole = Qt::UserRole + 1, LocationRole };

    // The rows are sorted by the first SetItems.
    explicit MarkerListModel(std::vector<MarkerInfoItem> rows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void SetItems(std::vector<MarkerInfoItem> rows);
    void SortByPosition();
    MarkerInfoItem GetItem(int row) const;
    // The first row with the item's name and position, -1 when none.
    int FindItem(const MarkerInfoItem& item) const;
    // The last row at or before the tick, -1 when none.
    int GetPassedIndex(UInt32 tick) const;

private:
    std::vector<MarkerInfoItem> rows_;
    std::vector<UInt32> positions_;
};

class MarkerListController : public QmlController
{
    Q_OBJECT
    Q_PROPERTY(int passedIndex READ passedIndex WRITE setPassedIndex)
public:
    MarkerListController(QObject* view, EditModel* editModel);
    ~MarkerListController() override;

    // Reloads the rows from the edit model's markers; no row is current. The
    // passed row is worked out again from the last passed tick reported.
    void Refresh();
    void SetCurrentIndex(int index);
    // Makes the marker's row current without reporting it; with no row of the
    // same name and tick no row is current and the edit model's selection is
    // cleared.
    void SelectMarker(const cmn::VandEvent* event);
    int GetPassedIndex(UInt32 tick) const;
    // The playhead passed a marker at tick: shades the last row at or before it.
    void UpdatePassedTick(UInt32 tick);
    // Playback holds at tick: a marker at that very tick is reached, though
    // the engine reports it only when playback goes on, so its row is shaded
    // now. A hold where no marker lies changes nothing.
    void UpdateHeldTick(UInt32 tick);

    int passedIndex() const { return passedIndex_; }
    // Writes the view only when the row changes.
    void setPassedIndex(int index);

    MarkerListModel* GetModel() const { return model_.get(); }

signals:
    void CurrentItemChangedSignal(MarkerInfoItem item);

public slots:
    void CurrentItemChanged_(int index);

private:
    int passedIndex_ = -1;
    std::optional<UInt32> passedTick_;
    std::unique_ptr<MarkerListModel> model_;
    EditModel* editModel_ = nullptr;
};

} // namespace vand::qt
