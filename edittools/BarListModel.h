#pragma once

// The current song's bars and beats as the edit-tool dialogs offer them: one
// row per bar label from the start tick on, with the bar's beat numbers and
// the tick of each beat. Built once; sends no change notifications.
//
// Threads: GUI thread.

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <string>

#include "TL/BarsBeats.h"
#include "TL/Timeline.h"

namespace vand::qt {

class BarListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        BarRole = Qt::UserRole + 1,
        BeatsRole,
        TimesRole,
    };

    // A null sequence gives an empty model.
    BarListModel(QObject* parent, const TL::TimelineSequence<TL::BarsBeats>* sequence, unsigned startTick);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The beat numbers of a row (QList<uint>); invalid for a row the model
    // does not have.
    Q_INVOKABLE QVariant getBeats(int index) const;
    // The tick (uint) of beat number `beat` of the bar labelled `bar`; the
    // bar's first tick when it has no such beat; invalid for a label the model
    // does not hold.
    Q_INVOKABLE QVariant getTime(std::string bar, int beat) const;

    unsigned GetPreStartTick() const { return preStartTick_; }
    const QString& GetPreStartBarLabel() const { return preStartBarLabel_; }
    unsigned GetPreStartBeat() const { return preStartBeat_; }
    const QStringList& GetBarLabels() const { return barLabels_; }

private:
    // The row of a label; -1 when absent.
    int RowOf(const QString& label) const;
    int AddRow(const QString& label, bool atFront);

    unsigned preStartTick_ = 0;
    QString preStartBarLabel_;
    unsigned preStartBeat_ = 0;
    QStringList barLabels_;
    QList<QList<uint>> beats_;
    QHash<QString, QList<uint>> ticksByBar_;
};

} // namespace vand::qt
