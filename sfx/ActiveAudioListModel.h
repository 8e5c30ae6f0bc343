#pragma once

// The list model of the sounds that play now or that the user pinned; each
// row is a Track. The player controller writes it; the active-audio views
// show it and send play, stop and pin requests back through its signals.
//
// Threads: a plain Qt object without locks; every call runs on the thread it
// lives in.

#include "sfx/SfxExport.h"

#include <QAbstractListModel>
#include <QObject>
#include <QString>

#include <cstdint>
#include <list>
#include <set>
#include <unordered_map>

namespace vand::sfx {

// One row of the list.
class SFX_EXPORT Track : public QObject
{
    Q_OBJECT
    Q_PROPERTY(quint64 id READ id WRITE setId NOTIFY idChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(double duration READ duration WRITE setDuration NOTIFY durationChanged)
    Q_PROPERTY(double progress READ progress WRITE setProgress NOTIFY progressChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying WRITE setIsPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(bool isPinned READ isPinned WRITE setIsPinned NOTIFY isPinnedChanged)

public:
    explicit Track(QObject* parent = nullptr);
    // Copies take the source's parent and values; no connection is copied.
    Track(const Track& other);
    Track(Track&& other) noexcept;
    ~Track() override;

    quint64 id() const;
    QString name() const;
    QString path() const;
    double volume() const;
    double duration() const;
    double progress() const;
    bool isPlaying() const;
    bool isPinned() const;

    // Each stores the value and signals only when it differs; for the
    // doubles a NaN on either side counts as different.
    void setId(quint64 id);
    void setName(const QString& name);
    void setPath(const QString& path);
    void setVolume(double volume);
    void setDuration(double duration);
    void setProgress(double progress);
    void setIsPlaying(bool isPlaying);
    void setIsPinned(bool isPinned);

signals:
    void idChanged(quint64 id);
    void nameChanged(const QString& name);
    void pathChanged(const QString& path);
    void volumeChanged(double volume);
    void durationChanged(double duration);
    void progressChanged(double progress);
    void isPlayingChanged(bool isPlaying);
    void isPinnedChanged(bool isPinned);

private:
    quint64 id_ = 0;
    QString name_;
    QString path_;
    double volume_ = 0.0;
    double duration_ = 0.0;
    double progress_ = 0.0;
    bool isPlaying_ = false;
    bool isPinned_ = false;
};

class SFX_EXPORT ActiveAudioListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_CLASSINFO("QML.Element", "auto")

public:
    enum Roles {
        IdRole = Qt::UserRole + 1,
        NameRole,
        PathRole,
        VolumeRole,
        DurationRole,
        ProgressRole,
        IsPlayingRole,
        IsPinnedRole,
    };
    Q_ENUM(Roles)

    explicit ActiveAudioListModel(QObject* parent = nullptr);
    ~ActiveAudioListModel() override;

    // A known id: only the row's isPlaying is written. A new id: a row is
    // appended with these values. True unless the row could not be added.
    bool addOrPlayTrack(quint64 id, const QString& name, const QString& path, double volume, double duration,
                        double progress, bool isPlaying, bool isPinned);
    bool contains(quint64 id) const;
    bool isPlaying(quint64 id) const;
    double progress(quint64 id) const;
    // Writes the role of the id's row when its value differs; no row, no
    // effect.
    void setData(quint64 id, const QVariant& value, Roles role);
    bool removeTrack(quint64 id);
    bool removeTrack(const QModelIndex& index);
    // A row whose removal is suspended is not removed until it is resumed.
    // True when the call changed the suspension.
    bool suspendRemoval(quint64 id) const;
    bool resumeRemoval(quint64 id) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The track's value for roles 257 to 264; for the display role and every
    // other text-like role a one-line JSON-like text of the whole row.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    // Refuses the whole range when any row of it is pinned or suspended.
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void playTrack(quint64 id);
    void stopTrack(quint64 id, bool isUrgent = false);
    void isPinnedChanged(quint64 id, bool isPinned);

private:
    std::list<Track>::iterator find_(quint64 id);
    std::list<Track>::const_iterator find_(quint64 id) const;
    int rowOf_(quint64 id) const;
    bool removable_(const Track& track) const;

    std::list<Track> tracks_;
    mutable std::unordered_map<quint64, std::set<int>> removalSuspensions_;
    QString header_ = QStringLiteral("Active Audio Tracks");
};

} // namespace vand::sfx
