#pragma once

// The edit panel's event list: the current song's change-log panel events,
// one row each, in the engine's order, so that row i describes element i of
// the edit model's panel events. A row chosen in the view is published as
// notify::names::EVT_CHANGE_LOG_PANEL_SELECTED and reported as
// CurrentItemChangedSignal, unless the controller's own signals are blocked
// (while it sets the row itself).
//
// Threads: GUI thread only. Refresh and SelectEvent let engine errors through.

#include <QAbstractListModel>
#include <memory>
#include <vector>

#include "model/SelectionRecords.h"
#include "ui/QmlController.h"

class QQuickItem;

namespace cmn {
class VandEvent;
}

namespace vand::qt {

class EditModel;

class EventListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { InRole = Qt::UserRole + 1, OutRole, TypeRole, CountRole };

    EventListModel(std::vector<EventInfoItem> rows, EditModel* editModel);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void SetItems(std::vector<EventInfoItem> rows);
    // A copy of the row; the default record outside the rows.
    EventInfoItem GetItem(int row) const;
    // The first equal row, -1 when none.
    int FindItem(const EventInfoItem& item) const;

    // The type column's text of a code: its edit name, a skip as "Skip".
    static QString TypeText(UInt8 code);

private:
    std::vector<EventInfoItem> rows_;
    EditModel* editModel_ = nullptr;
};

class EventListController : public QmlController
{
    Q_OBJECT
public:
    EventListController(QObject* view, EditModel* editModel);
    ~EventListController() override;

    // Reloads the rows from the edit model's panel events; no row is current.
    void Refresh();
    void SetCurrentIndex(int index);
    // Makes the row equal to the event current without reporting it; with no
    // equal row no row is current and the edit model's selection is cleared.
    void SelectEvent(const cmn::VandEvent* event);

    EventListModel* GetModel() const { return model_.get(); }

signals:
    void CurrentItemChangedSignal(EventInfoItem item);
    void EditSelectedItem();

public slots:
    void CurrentItemChanged(int index);

private slots:
    void EditSelectedItem_();

private:
    std::unique_ptr<EventListModel> model_;
    EditModel* editModel_ = nullptr;
};

} // namespace vand::qt
