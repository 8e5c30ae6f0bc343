#pragma once

#include <QByteArray>
#include <QHash>
#include <QVariant>
#include <memory>
#include <vector>

#include "audio/MixerSectionItem.h"
#include "audio/OwnedRowsModel.h"

namespace vand::qt {

// The mixer's groups, one row per group, owned by the model. A write of the
// group mute or solo from the view stores the value and asks for it through a
// request signal that names the group by its row; carrying it out is a mixer
// controller's business. The stored value is never compared with the new
// one. GUI thread.
class MixerModel : public OwnedRowsModel<MixerSectionItem>
{
    Q_OBJECT
public:
    enum Roles {
        NameRole = Qt::UserRole + 1,
        IsMutedRole,
        IsSoloRole,
        TracksModelRole,
        TooltipRole,
    };

    explicit MixerModel(QObject* parent = nullptr);
    ~MixerModel() override;

    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    // Appends a group, which the model then owns (and parents) with its
    // tracks; returns its row. A null group is refused (-1).
    int AddSection(std::unique_ptr<MixerSectionItem> section);
    // Replaces every group (a model reset); the old ones are deleted.
    void ResetSections(std::vector<std::unique_ptr<MixerSectionItem>> sections);
    // The group of a row, or null.
    MixerSectionItem* SectionAt(int row) const { return At(row); }

signals:
    void muteSectionRequested(int index, bool value);
    void soloSectionRequested(int index, bool value);
};

} // namespace vand::qt
