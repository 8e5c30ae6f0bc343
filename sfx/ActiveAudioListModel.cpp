#include "sfx/ActiveAudioListModel.h"

#include "kit/Log.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

namespace vand::sfx {

namespace {

// The one marker the library suspends removals with.
constexpr int kRemovalMarker = 0;

bool sameDouble(double a, double b)
{
    return !std::isnan(a) && !std::isnan(b) && a == b;
}

const char* boolText(bool value)
{
    return value ? "true" : "false";
}

QString shortest(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

Track::Track(QObject* parent)
    : QObject(parent)
{
}

Track::Track(const Track& other)
    : QObject(other.parent())
    , id_(other.id_)
    , name_(other.name_)
    , path_(other.path_)
    , volume_(other.volume_)
    , duration_(other.duration_)
    , progress_(other.progress_)
    , isPlaying_(other.isPlaying_)
    , isPinned_(other.isPinned_)
{
}

Track::Track(Track&& other) noexcept
    : Track(static_cast<const Track&>(other))
{
}

Track::~Track() = default;

quint64 Track::id() const
{
    return id_;
}
QString Track::name() const
{
    return name_;
}
QString Track::path() const
{
    return path_;
}
double Track::volume() const
{
    return volume_;
}
double Track::duration() const
{
    return duration_;
}
double Track::progress() const
{
    return progress_;
}
bool Track::isPlaying() const
{
    return isPlaying_;
}
bool Track::isPinned() const
{
    return isPinned_;
}

void Track::setId(quint64 id)
{
    if (id_ == id)
        return;
    id_ = id;
    emit idChanged(id);
}

void Track::setName(const QString& name)
{
    if (name_ == name)
        return;
    name_ = name;
    emit nameChanged(name);
}

void Track::setPath(const QString& path)
{
    if (path_ == path)
        return;
    path_ = path;
    emit pathChanged(path);
}

void Track::setVolume(double volume)
{
    if (sameDouble(volume_, volume))
        return;
    volume_ = volume;
    emit volumeChanged(volume);
}

void Track::setDuration(double duration)
{
    if (sameDouble(duration_, duration))
        return;
    duration_ = duration;
    emit durationChanged(duration);
}

void Track::setProgress(double progress)
{
    if (sameDouble(progress_, progress))
        return;
    progress_ = progress;
    emit progressChanged(progress);
}

void Track::setIsPlaying(bool isPlaying)
{
    if (isPlaying_ == isPlaying)
        return;
    isPlaying_ = isPlaying;
    emit isPlayingChanged(isPlaying);
}

void Track::setIsPinned(bool isPinned)
{
    if (isPinned_ == isPinned)
        return;
    isPinned_ = isPinned;
    emit isPinnedChanged(isPinned);
}

ActiveAudioListModel::ActiveAudioListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

ActiveAudioListModel::~ActiveAudioListModel() = default;

std::list<Track>::iterator ActiveAudioListModel::find_(quint64 id)
{
    return std::find_if(tracks_.begin(), tracks_.end(), [id](const Track& t) { return t.id() == id; });
}

std::list<Track>::const_iterator ActiveAudioListModel::find_(quint64 id) const
{
    return std::find_if(tracks_.cbegin(), tracks_.cend(), [id](const Track& t) { return t.id() == id; });
}

int ActiveAudioListModel::rowOf_(quint64 id) const
{
    const auto it = find_(id);
    return it == tracks_.cend() ? -1 : static_cast<int>(std::distance(tracks_.cbegin(), it));
}

bool ActiveAudioListModel::addOrPlayTrack(quint64 id, const QString& name, const QString& path, double volume,
                                          double duration, double progress, bool isPlaying, bool isPinned)
{
    const int known = rowOf_(id);
    if (known >= 0) {
        setData(index(known), isPlaying, IsPlayingRole);
        return true;
    }
    const int row = rowCount();
    if (!insertRows(row, 1))
        return false;
    const QModelIndex added = index(row);
    setData(added, id, IdRole);
    setData(added, name, NameRole);
    setData(added, path, PathRole);
    setData(added, volume, VolumeRole);
    setData(added, duration, DurationRole);
    setData(added, progress, ProgressRole);
    setData(added, isPlaying, IsPlayingRole);
    setData(added, isPinned, IsPinnedRole);
    Track* track = &tracks_.back();
    connect(track, &Track::isPinnedChanged, this,
            [this, track](bool pinned) { emit isPinnedChanged(track->id(), pinned); });
    return true;
}

bool ActiveAudioListModel::contains(quint64 id) const
{
    return find_(id) != tracks_.cend();
}

bool ActiveAudioListModel::isPlaying(quint64 id) const
{
    const auto it = find_(id);
    return it != tracks_.cend() && it->isPlaying();
}

double ActiveAudioListModel::progress(quint64 id) const
{
    const auto it = find_(id);
    return it == tracks_.cend() ? 0.0 : it->progress();
}

void ActiveAudioListModel::setData(quint64 id, const QVariant& value, Roles role)
{
    const int row = rowOf_(id);
    if (row < 0)
        return;
    const QModelIndex at = index(row);
    if (data(at, role) != value)
        setData(at, value, role);
}

bool ActiveAudioListModel::removeTrack(quint64 id)
{
    const int row = rowOf_(id);
    if (row < 0)
        return false;
    return removeTrack(index(row));
}

bool ActiveAudioListModel::removeTrack(const QModelIndex& index)
{
    return removeRows(index.row(), 1);
}

bool ActiveAudioListModel::suspendRemoval(quint64 id) const
{
    return removalSuspensions_[id].insert(kRemovalMarker).second;
}

bool ActiveAudioListModel::resumeRemoval(quint64 id) const
{
    const auto it = removalSuspensions_.find(id);
    if (it == removalSuspensions_.end())
        return false;
    const bool erased = it->second.erase(kRemovalMarker) > 0;
    if (it->second.empty())
        removalSuspensions_.erase(it);
    return erased;
}

int ActiveAudioListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(tracks_.size());
}

QVariant ActiveAudioListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const Track& track = *std::next(tracks_.cbegin(), index.row());
    switch (role) {
    case IdRole:
        return QVariant::fromValue(track.id());
    case NameRole:
        return track.name();
    case PathRole:
        return track.path();
    case VolumeRole:
        return track.volume();
    case DurationRole:
        return track.duration();
    case ProgressRole:
        return track.progress();
    case IsPlayingRole:
        return track.isPlaying();
    case IsPinnedRole:
        return track.isPinned();
    // Roles whose values views take as pictures, fonts, colours, sizes or
    // states: no text.
    case Qt::DecorationRole:
    case Qt::FontRole:
    case Qt::TextAlignmentRole:
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
    case Qt::CheckStateRole:
    case Qt::SizeHintRole:
    case Qt::InitialSortOrderRole:
        return {};
    default:
        return QStringLiteral(R"({"id": %1, "name": "%2", "path": "%3", "volume": %4, "duration": %5, )"
                              R"("progress": %6, "isPlaying": %7, "isPinned": %8})")
            .arg(QString::number(track.id()), track.name(), track.path(), shortest(track.volume()),
                 shortest(track.duration()), shortest(track.progress()), QString::number(track.isPlaying() ? 1 : 0),
                 QString::number(track.isPinned() ? 1 : 0));
    }
}

bool ActiveAudioListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role < IdRole || role > IsPinnedRole || !index.isValid() || index.row() >= rowCount())
        return false;
    if (data(index, role) == value)
        return false;
    Track& track = *std::next(tracks_.begin(), index.row());
    switch (role) {
    case IdRole:
        track.setId(value.toULongLong());
        break;
    case NameRole:
        track.setName(value.toString());
        break;
    case PathRole:
        track.setPath(value.toString());
        break;
    case VolumeRole:
        track.setVolume(value.toDouble());
        break;
    case DurationRole:
        track.setDuration(value.toDouble());
        break;
    case ProgressRole:
        track.setProgress(value.toDouble());
        break;
    case IsPlayingRole:
        track.setIsPlaying(value.toBool());
        break;
    case IsPinnedRole: {
        const bool was = track.isPinned();
        kit::Log(kit::LogLevel::Debug, "sfx",
                 std::string("Setting pinned to ") + boolText(value.toBool()) + " from " + boolText(was));
        track.setIsPinned(value.toBool());
        kit::Log(kit::LogLevel::Debug, "sfx", std::string("Pinned is now ") + boolText(track.isPinned()));
        break;
    }
    }
    emit dataChanged(index, index, {role});
    return true;
}

QVariant ActiveAudioListModel::headerData(int, Qt::Orientation, int) const
{
    return header_;
}

bool ActiveAudioListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int)
{
    if (value == QVariant(header_))
        return false;
    header_ = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

bool ActiveAudioListModel::insertRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || row > rowCount() || count < 1)
        return false;
    beginInsertRows(QModelIndex(), row, row + count - 1);
    tracks_.insert(std::next(tracks_.begin(), row), static_cast<std::size_t>(count), Track());
    endInsertRows();
    return true;
}

bool ActiveAudioListModel::removable_(const Track& track) const
{
    if (track.isPinned())
        return false;
    const auto it = removalSuspensions_.find(track.id());
    return it == removalSuspensions_.end() || it->second.count(kRemovalMarker) == 0;
}

bool ActiveAudioListModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount())
        return false;
    const auto first = std::next(tracks_.begin(), row);
    const auto last = std::next(first, count);
    if (!std::all_of(first, last, [this](const Track& t) { return removable_(t); }))
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    tracks_.erase(first, last);
    endRemoveRows();
    return true;
}

Qt::ItemFlags ActiveAudioListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return QAbstractListModel::flags(index) | Qt::ItemIsEditable;
}

QHash<int, QByteArray> ActiveAudioListModel::roleNames() const
{
    return {
        {IdRole, "id"},
        {NameRole, "name"},
        {PathRole, "path"},
        {VolumeRole, "volume"},
        {DurationRole, "duration"},
        {ProgressRole, "progress"},
        {IsPlayingRole, "isPlaying"},
        {IsPinnedRole, "isPinned"},
    };
}

} // namespace vand::sfx
