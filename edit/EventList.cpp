#include "edit/EventList.h"

#include <QSignalBlocker>
#include <stdexcept>

#include "RowVector.h"
#include "cmn/EventCodes.h"
#include "cmn/VandEvent.h"
#include "model/EditModel.h"
#include "notify/CallbackDispatcher.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

EventListModel::EventListModel(std::vector<EventInfoItem> rows, EditModel* editModel)
    : rows_(std::move(rows))
    , editModel_(editModel)
{
}

int EventListModel::rowCount(const QModelIndex&) const
{
    return static_cast<int>(rows_.size());
}

QString EventListModel::TypeText(UInt8 code)
{
    if (code == codes::kFermata)
        return QStringLiteral("Skip");
    return QString::fromStdString(codes::EditName(code));
}

QVariant EventListModel::data(const QModelIndex& index, int role) const
{
    const EventInfoItem* found = RowOf(rows_, index);
    if (!found)
        return {};
    const EventInfoItem& row = *found;
    // Called by the view: an engine failure shows as an empty cell.
    const auto barText = [this](UInt32 tick) {
        try {
            return QString::fromStdString(editModel_->GetBarString(static_cast<int>(tick)));
        } catch (const std::exception&) {
            return QString();
        }
    };
    switch (role) {
    case InRole:
        return barText(row.start);
    case OutRole:
        return row.paired ? barText(row.end) : QStringLiteral("-");
    case TypeRole:
        return TypeText(row.code);
    case CountRole:
        return row.value;
    default:
        return {};
    }
}

QHash<int, QByteArray> EventListModel::roleNames() const
{
    return {{InRole, "in"}, {OutRole, "out"}, {TypeRole, "type"}, {CountRole, "count"}};
}

void EventListModel::SetItems(std::vector<EventInfoItem> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

EventInfoItem EventListModel::GetItem(int row) const
{
    return RowAt(rows_, row);
}

int EventListModel::FindItem(const EventInfoItem& item) const
{
    return FindRow(rows_, item);
}

EventListController::EventListController(QObject* view, EditModel* editModel)
    : QmlController(view, nullptr)
    , editModel_(editModel)
{
    if (!editModel_)
        throw std::invalid_argument("The event list needs an edit model.");
    model_ = std::make_unique<EventListModel>(std::vector<EventInfoItem>{}, editModel_);
    Refresh();
    SetViewProperty(rootObject_, "model", QVariant::fromValue(static_cast<QObject*>(model_.get())));
    if (rootObject_) {
        connect(rootObject_, SIGNAL(currentItemChanged(int)), this, SLOT(CurrentItemChanged(int)));
        connect(rootObject_, SIGNAL(editSelectedItem()), this, SLOT(EditSelectedItem_()));
    }
}

EventListController::~EventListController()
{
    // The view outlives this controller: it must not show a deleted model,
    // and what it reports while it lets go of the rows reaches no one.
    if (rootObject_) {
        disconnect(rootObject_, nullptr, this, nullptr);
        rootObject_->setProperty("model", QVariant());
    }
}

void EventListController::Refresh()
{
    const QSignalBlocker blocker(this);
    const auto& events = editModel_->LoadChangeLogPanelEvents();
    std::vector<EventInfoItem> rows;
    rows.reserve(events.size());
    for (const auto& event : events)
        rows.push_back(EventInfoItem::FromEvent(*event));
    SetCurrentIndex(-1);
    model_->SetItems(std::move(rows));
}

void EventListController::SetCurrentIndex(int index)
{
    SetViewProperty(rootObject_, "currentIndex", index);
}

void EventListController::SelectEvent(const cmn::VandEvent* event)
{
    const QSignalBlocker blocker(this);
    const int row = event ? model_->FindItem(EventInfoItem::FromEvent(*event)) : -1;
    if (rootObject_ && row >= 0 && rootObject_->property("currentIndex").toInt() == row)
        CurrentItemChanged(row); // the view reports no change: select the row's event all the same
    else
        SetCurrentIndex(row);
    if (row < 0)
        editModel_->ClearSelection();
}

void EventListController::CurrentItemChanged(int index)
{
    if (index == -1)
        return;
    int row = index;
    notify::callbackDispatcher.Notify(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, &row);
    emit CurrentItemChangedSignal(model_->GetItem(index));
}

void EventListController::EditSelectedItem_()
{
    emit EditSelectedItem();
}

} // namespace vand::qt
