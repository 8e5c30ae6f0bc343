#pragma once

// Row access shared by the list models: rows are addressed by a model index
// or a row number, and looked up by their records' equality.

#include <QModelIndex>
#include <vector>

namespace vand::qt {

// The row of a valid index inside the rows; null otherwise.
template <typename Row>
const Row* RowOf(const std::vector<Row>& rows, const QModelIndex& index)
{
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= rows.size())
        return nullptr;
    return &rows[static_cast<std::size_t>(index.row())];
}

// A copy of the row; the default record outside the rows.
template <typename Row>
Row RowAt(const std::vector<Row>& rows, int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
        return {};
    return rows[static_cast<std::size_t>(row)];
}

// The first row equal to item, -1 when none.
template <typename Row>
int FindRow(const std::vector<Row>& rows, const Row& item)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == item)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace vand::qt
