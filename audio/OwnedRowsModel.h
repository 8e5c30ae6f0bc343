#pragma once

#include <QAbstractListModel>
#include <algorithm>
#include <memory>
#include <vector>

namespace vand::qt {

// A list model whose rows are QObject items that it owns and parents; the
// items go with the model. Derived models give the roles. GUI thread.
template <typename Item>
class OwnedRowsModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    // Rows of the list; an index with a parent has none.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }

    // The item of a row, or null.
    Item* At(int row) const
    {
        if (row < 0 || row >= static_cast<int>(rows_.size()))
            return nullptr;
        return rows_[static_cast<size_t>(row)].get();
    }

protected:
    // An index of this model that addresses one of its rows.
    bool IsUsable(const QModelIndex& index) const
    {
        return index.row() >= 0 && index.column() >= 0 && index.model() == this
               && index.row() < static_cast<int>(rows_.size());
    }

    // Appends an item between the row notices; returns its row, or -1 for a
    // null item.
    int Append(std::unique_ptr<Item> item)
    {
        if (!item)
            return -1;
        const int row = static_cast<int>(rows_.size());
        item->setParent(this);
        beginInsertRows(QModelIndex(), row, row);
        rows_.push_back(std::move(item));
        endInsertRows();
        return row;
    }

    // Replaces every row (a model reset). The old items are deleted after
    // the reset notice, once the views have dropped their delegates.
    void Replace(std::vector<std::unique_ptr<Item>> items)
    {
        std::erase(items, nullptr);
        for (auto& item : items)
            item->setParent(this);
        beginResetModel();
        rows_.swap(items);
        endResetModel();
    }

private:
    std::vector<std::unique_ptr<Item>> rows_;
};

} // namespace vand::qt
