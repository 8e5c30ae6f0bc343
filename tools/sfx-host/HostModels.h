#pragma once

// The two lists the SFX manager window shows: the installed catalogue and the
// show's instances.
//
// Threads: GUI thread only, as the views that bind to them.

#include "sfx/SfxDto.h"

#include <QAbstractListModel>
#include <QSet>
#include <QString>

#include <vector>

namespace vand::sfx {
class SfxManifest;
}  // namespace vand::sfx

namespace vand::sfxhost {

// The catalogue's effects, primary ones first, then ambient: roles sfxid and
// displayname (the effect id where the catalogue has no name).
class CatalogueModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Roles { SfxIdRole = Qt::UserRole + 1, DisplayNameRole };

  explicit CatalogueModel(const vand::sfx::SfxManifest& catalogue, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QHash<int, QByteArray> roleNames() const override;

  // The row of the effect; -1 when the catalogue has none.
  int RowOf(const QString& effectId) const;
  QString EffectIdAt(int row) const;

 private:
  struct Entry {
    QString id;
    QString displayName;
  };
  std::vector<Entry> entries_;
};

// The show's instances in the store's order: roles eventId, summary ("Name
// (Effect)") and isReady (the instance's effect file has been loaded).
class InstancesModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Roles { EventIdRole = Qt::UserRole + 1, SummaryRole, IsReadyRole };

  explicit InstancesModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QHash<int, QByteArray> roleNames() const override;

  // Replaces every row; the effects known to be ready stay ready.
  void Fill(const std::vector<vand::audio::sfx::SfxDto>& records, const vand::sfx::SfxManifest& catalogue);
  // Marks the rows of the effect ready.
  void EffectReady(const QString& effectId);
  int RowOf(const QString& eventId) const;

 private:
  struct Entry {
    QString eventId;
    QString effectId;
    QString summary;
  };
  std::vector<Entry> entries_;
  QSet<QString> readyEffects_;
};

}  // namespace vand::sfxhost
