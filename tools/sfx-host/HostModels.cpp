#include "HostModels.h"

#include "InstanceMapping.h"
#include "sfx/SfxManifest.h"

namespace vand::sfxhost {

namespace {

// The row of the first entry whose `key` is the text; -1 when none.
template <typename Entry>
int RowWhere(const std::vector<Entry>& entries, QString Entry::*key, const QString& text) {
  for (std::size_t row = 0; row < entries.size(); ++row) {
    if (entries[row].*key == text) return static_cast<int>(row);
  }
  return -1;
}

}  // namespace

CatalogueModel::CatalogueModel(const vand::sfx::SfxManifest& catalogue, QObject* parent) : QAbstractListModel(parent) {
  for (const auto& list : {catalogue.SoundEffects(), catalogue.AmbientEffects()}) {
    for (const char* id : list) {
      const std::optional<std::string> name = catalogue.displayName(id);
      entries_.push_back({QString::fromUtf8(id), QString::fromStdString(name.value_or(id))});
    }
  }
}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Entry& entry = entries_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case SfxIdRole: return entry.id;
    case DisplayNameRole:
    case Qt::DisplayRole: return entry.displayName;
    default: return {};
  }
}

QHash<int, QByteArray> CatalogueModel::roleNames() const {
  return {{SfxIdRole, "sfxid"}, {DisplayNameRole, "displayname"}};
}

int CatalogueModel::RowOf(const QString& effectId) const { return RowWhere(entries_, &Entry::id, effectId); }

QString CatalogueModel::EffectIdAt(int row) const {
  if (row < 0 || row >= rowCount()) return {};
  return entries_[static_cast<std::size_t>(row)].id;
}

InstancesModel::InstancesModel(QObject* parent) : QAbstractListModel(parent) {}

int InstancesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant InstancesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Entry& entry = entries_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case EventIdRole: return entry.eventId;
    case SummaryRole:
    case Qt::DisplayRole: return entry.summary;
    case IsReadyRole: return readyEffects_.contains(entry.effectId);
    default: return {};
  }
}

QHash<int, QByteArray> InstancesModel::roleNames() const {
  return {{EventIdRole, "eventId"}, {SummaryRole, "summary"}, {IsReadyRole, "isReady"}};
}

void InstancesModel::Fill(const std::vector<vand::audio::sfx::SfxDto>& records,
                          const vand::sfx::SfxManifest& catalogue) {
  beginResetModel();
  entries_.clear();
  for (const auto& record : records) {
    entries_.push_back({QString::fromStdString(record.eventId()), QString::fromStdString(record.effectId()),
                        InstanceSummary(record, catalogue)});
  }
  endResetModel();
}

void InstancesModel::EffectReady(const QString& effectId) {
  if (readyEffects_.contains(effectId)) return;
  readyEffects_.insert(effectId);
  for (std::size_t row = 0; row < entries_.size(); ++row) {
    if (entries_[row].effectId == effectId) {
      const QModelIndex at = index(static_cast<int>(row));
      emit dataChanged(at, at, {IsReadyRole});
    }
  }
}

int InstancesModel::RowOf(const QString& eventId) const { return RowWhere(entries_, &Entry::eventId, eventId); }

}  // namespace vand::sfxhost
