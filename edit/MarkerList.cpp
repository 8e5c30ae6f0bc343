#include "edit/MarkerList.h"

#include <QSignalBlocker>
#include <algorithm>
#include <stdexcept>

#include "CL/Events.h"
#include "RowVector.h"
#include "cmn/VandEvent.h"
#include "model/EditModel.h"
#include "notify/CallbackDispatcher.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

MarkerListModel::MarkerListModel(std::vector<MarkerInfoItem> rows)
    : rows_(std::move(rows))
{
}

int MarkerListModel::rowCount(const QModelIndex&) const
{
    return static_cast<int>(rows_.size());
}

QVariant MarkerListModel::data(const QModelIndex& index, int role) const
{
    const MarkerInfoItem* found = RowOf(rows_, index);
    if (!found)
        return {};
    const MarkerInfoItem& row = *found;
    switch (role) {
    case NameRole:
        return QString::fromStdString(row.name);
    case LocationRole:
        return QString::fromStdString(row.location);
    default:
        return {};
    }
}

QHash<int, QByteArray> MarkerListModel::roleNames() const
{
    return {{NameRole, "name"}, {LocationRole, "location"}};
}

void MarkerListModel::SetItems(std::vector<MarkerInfoItem> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    SortByPosition();
    endResetModel();
}

void MarkerListModel::SortByPosition()
{
    const auto earlier = [](const MarkerInfoItem& a, const MarkerInfoItem& b) { return a.position < b.position; };
    if (!std::is_sorted(rows_.begin(), rows_.end(), earlier))
        std::stable_sort(rows_.begin(), rows_.end(), earlier);
    positions_.clear();
    positions_.reserve(rows_.size());
    for (const MarkerInfoItem& row : rows_)
        positions_.push_back(row.position);
}

MarkerInfoItem MarkerListModel::GetItem(int row) const
{
    return RowAt(rows_, row);
}

int MarkerListModel::FindItem(const MarkerInfoItem& item) const
{
    return FindRow(rows_, item);
}

int MarkerListModel::GetPassedIndex(UInt32 tick) const
{
    if (rows_.empty())
        return -1;
    const auto passed = std::upper_bound(positions_.begin(), positions_.end(), tick);
    return static_cast<int>(passed - positions_.begin()) - 1;
}

MarkerListController::MarkerListController(QObject* view, EditModel* editModel)
    : QmlController(view, nullptr)
    , editModel_(editModel)
{
    if (!editModel_)
        throw std::invalid_argument("The marker list needs an edit model.");
    model_ = std::make_unique<MarkerListModel>(std::vector<MarkerInfoItem>{});
    Refresh();
    SetViewProperty(rootObject_, "model", QVariant::fromValue(static_cast<QObject*>(model_.get())));
    if (rootObject_)
        connect(rootObject_, SIGNAL(currentItemChanged(int)), this, SLOT(CurrentItemChanged_(int)));
}

MarkerListController::~MarkerListController()
{
    // The view outlives this controller: it must not show a deleted model,
    // and what it reports while it lets go of the rows reaches no one.
    if (rootObject_) {
        disconnect(rootObject_, nullptr, this, nullptr);
        rootObject_->setProperty("model", QVariant());
    }
}

void MarkerListController::Refresh()
{
    const QSignalBlocker blocker(this);
    const auto markers = editModel_->GetMarkers();
    std::vector<MarkerInfoItem> rows;
    rows.reserve(markers.size());
    for (const auto& [marker, location] : markers)
        rows.emplace_back(marker->value(), location, marker->abs_time());
    SetCurrentIndex(-1);
    model_->SetItems(std::move(rows));
    if (passedTick_)
        setPassedIndex(GetPassedIndex(*passedTick_));
}

void MarkerListController::SetCurrentIndex(int index)
{
    SetViewProperty(rootObject_, "currentIndex", index);
}

void MarkerListController::SelectMarker(const cmn::VandEvent* event)
{
    const QSignalBlocker blocker(this);
    const int row = event ? model_->FindItem(MarkerInfoItem::FromMarker(CL::Marker(*event))) : -1;
    if (rootObject_ && row >= 0 && rootObject_->property("currentIndex").toInt() == row)
        CurrentItemChanged_(row); // the view reports no change: select the row's marker all the same
    else
        SetCurrentIndex(row);
    if (row < 0)
        editModel_->ClearSelection();
}

int MarkerListController::GetPassedIndex(UInt32 tick) const
{
    return model_->GetPassedIndex(tick);
}

void MarkerListController::UpdatePassedTick(UInt32 tick)
{
    passedTick_ = tick;
    setPassedIndex(GetPassedIndex(tick));
}

void MarkerListController::UpdateHeldTick(UInt32 tick)
{
    const int row = GetPassedIndex(tick);
    if (row >= 0 && model_->GetItem(row).position == tick)
        UpdatePassedTick(tick);
}

void MarkerListController::setPassedIndex(int index)
{
    if (index == passedIndex_)
        return;
    passedIndex_ = index;
    if (rootObject_)
        SetViewProperty(rootObject_, "passedIndex", index);
}

void MarkerListController::CurrentItemChanged_(int index)
{
    if (index == -1)
        return;
    int row = index;
    notify::callbackDispatcher.Notify(notify::names::EVT_MARKER_PANEL_SELECTED, &row);
    emit CurrentItemChangedSignal(model_->GetItem(index));
}

} // namespace vand::qt
