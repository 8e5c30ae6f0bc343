#include "edittools/BarListModel.h"

namespace vand::qt {

BarListModel::BarListModel(QObject* parent, const TL::TimelineSequence<TL::BarsBeats>* sequence, unsigned startTick)
    : QAbstractListModel(parent)
{
    if (!sequence)
        return;
    bool onStart = false;
    bool beforeStart = false;
    TL::BarsBeats lastBefore;
    for (const TL::BarsBeats& entry : *sequence) {
        if (entry.tick < startTick) {
            lastBefore = entry;
            beforeStart = true;
            continue;
        }
        if (entry.tick == startTick)
            onStart = true;
        const QString label = QString::fromStdString(entry.bar_number());
        int row = RowOf(label);
        if (row < 0)
            row = AddRow(label, false);
        // A label that comes back after another one keeps its beats in its
        // own row, beside its ticks.
        beats_[row].append(static_cast<uint>(entry.beat));
        ticksByBar_[label].append(entry.tick);
    }
    if (onStart || !beforeStart)
        return;
    preStartTick_ = lastBefore.tick;
    preStartBarLabel_ = QString::fromStdString(lastBefore.bar_number());
    preStartBeat_ = static_cast<unsigned>(lastBefore.beat);
    int row = RowOf(preStartBarLabel_);
    if (row < 0)
        row = AddRow(preStartBarLabel_, true);
    beats_[row].prepend(preStartBeat_);
    ticksByBar_[preStartBarLabel_].prepend(preStartTick_);
}

int BarListModel::RowOf(const QString& label) const
{
    return static_cast<int>(barLabels_.indexOf(label));
}

int BarListModel::AddRow(const QString& label, bool atFront)
{
    const qsizetype row = atFront ? 0 : barLabels_.size();
    barLabels_.insert(row, label);
    beats_.insert(row, QList<uint>());
    ticksByBar_.insert(label, QList<uint>());
    return static_cast<int>(row);
}

int BarListModel::rowCount(const QModelIndex&) const
{
    return static_cast<int>(barLabels_.size());
}

QVariant BarListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= barLabels_.size())
        return {};
    switch (role) {
    case BarRole:
        return barLabels_.at(row);
    case BeatsRole:
        return beats_.at(row).isEmpty() ? QVariant() : QVariant(beats_.at(row).first());
    case TimesRole:
        return QVariant::fromValue(ticksByBar_.value(barLabels_.at(row)));
    default:
        return {};
    }
}

QHash<int, QByteArray> BarListModel::roleNames() const
{
    return {{BarRole, "bar"}, {BeatsRole, "beats"}, {TimesRole, "times"}};
}

QVariant BarListModel::getBeats(int index) const
{
    if (index < 0 || index >= beats_.size())
        return {};
    return QVariant::fromValue(beats_.at(index));
}

QVariant BarListModel::getTime(std::string bar, int beat) const
{
    const QString label = QString::fromStdString(bar);
    const int row = RowOf(label);
    if (row < 0)
        return {};
    const QList<uint>& beats = beats_.at(row);
    const qsizetype k = beats.indexOf(static_cast<uint>(beat));
    const QList<uint> ticks = ticksByBar_.value(label);
    if (ticks.isEmpty())
        return {};
    const qsizetype position = k < 0 ? beats.size() : k;
    return QVariant(position < ticks.size() ? ticks.at(position) : ticks.first());
}

} // namespace vand::qt
