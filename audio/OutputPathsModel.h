#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QVariant>
#include <vector>

#include "CL/Properties.h"
#include "vand_core/qt/MetaTypes.h"

namespace vand::qt {

// The show's output paths, one row per path in display order, each a
// CL::OutputPath (id, name, device id, device name; UTF-8). Every new or
// changed path goes out through AddOutputPathSignal and every removed one
// through RemoveOutputPathSignal, delivered before the model goes on. Rows
// outside the model are ignored everywhere. GUI thread.
class OutputPathsModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        PathNameRole = 257,
        PathIdRole,
        PathDeviceNameRole,
        PathDeviceIdRole,
    };

    explicit OutputPathsModel(QObject* parent = nullptr);
    ~OutputPathsModel() override;

    // An index of a row of the list; invalid outside it.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Replaces the row with the CL::OutputPath that value holds, whatever the
    // role, announces the change and emits AddOutputPathSignal. False for a
    // row outside the model or a value that holds no path.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QHash<int, QByteArray> roleNames() const override;

    // The row's texts; empty for a row outside the model.
    Q_INVOKABLE QString PathName(int row) const;
    Q_INVOKABLE QString PathId(int row) const;
    Q_INVOKABLE QString PathDeviceName(int row) const;
    Q_INVOKABLE QString PathDeviceId(int row) const;

    // The row with the path's id becomes the path (announced, no signal);
    // without one the path is appended and AddOutputPathSignal goes out.
    void AddOrUpdatePath(const CL::OutputPath& path);
    // Emits RemoveOutputPathSignal with the row's path, then removes the row.
    // A row outside the model is ignored.
    void RemovePath(int row);
    // A copy of the row; a default record outside the model.
    CL::OutputPath GetPath(int row) const;
    // The first row whose path has this id; -1 when none has.
    int RowOfId(const std::string& id) const;

signals:
    void AddOutputPathSignal(const CL::OutputPath& path);
    void RemoveOutputPathSignal(const CL::OutputPath& path);

private:
    bool HasRow(int row) const;

    std::vector<CL::OutputPath> rows_;
};

} // namespace vand::qt
