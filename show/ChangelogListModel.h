#pragma once

// One list of change-log versions for the change-log manager window: a row
// per version, with its version text and modification time, and for a local
// version the file it was read from.
//
// Threading: GUI thread only.

#include <QAbstractListModel>
#include <QString>
#include <filesystem>
#include <vector>

#include "CL/ChangeLog.h"

namespace vand::qt {

class ChangelogListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        VersionRole = 257,
        ModifiedRole,
    };

    ChangelogListModel();
    ~ChangelogListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // "major.minor" of the row; empty for a row that does not exist.
    QString GetVersionString(int row) const;
    // The modification time in local time, "MMM dd yyyy hh:mm AP" (English
    // month names); empty for a row that does not exist.
    QString GetModifiedString(int row) const;
    // The file the row was read from; empty for a server row or a row that
    // does not exist.
    std::filesystem::path GetFile(int row) const;

    // Appends log unless a row equal to it (same version and time) exists.
    void AddLog(const CL::ChangeLog& log, const std::filesystem::path& file = {});
    void Clear();
    void RemoveRow(int row);
    // Ascending by version; rows of one version keep their order. Tells the
    // view nothing: RefreshAll does.
    void Sort();
    // Every row changed; nothing for an empty model.
    void RefreshAll();

private:
    struct Row
    {
        CL::ChangeLog log;
        std::filesystem::path file;
    };

    bool HasRow(int row) const;

    std::vector<Row> rows_;
};

} // namespace vand::qt

Q_DECLARE_METATYPE(vand::qt::ChangelogListModel*)
