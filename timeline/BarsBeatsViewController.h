#pragma once

// The timeline's Bars:Beats lane: a line with a label for every bar and beat
// of the current song before its end, a double line at the end, and the
// shaded audio boxes (in, out, fade) of the timeline view's bars region.
//
// Every line is kept as a BarController record; TimeBar views exist only for
// the lines within the reach the timeline gives (SetReach) that show (or are
// still fading out), through the BarLineModel the bars region's Repeater
// shows. The label pass decides every line from computed positions and
// measured label widths, so each line gets the same decision whether it has a
// view or not.
//
// Threads: GUI thread.

#include <QAbstractListModel>
#include <QPointer>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "timeline/ItemViewFactory.h"

class QQmlEngine;

namespace vand::qt {

class EditModel;

// One line of the lane: a bar line, a beat line or the end line.
class BarController
{
public:
    // What the line's TimeBar shows: hidden or shown at once, or fading.
    enum class State {
        Hidden,
        Shown,
        FadingOut,
        FadingIn,
    };

    BarController(std::string label, int position, bool isBar, double viewScale, double labelWidth);

    // A new zoom: a beat line below its threshold (1.0) is hidden, at once
    // when immediate, else by a fade; at or above it, it is shown likewise.
    void SetViewScale(double scale, bool immediate);
    // Fades in a bar line, or a beat line at or above its threshold.
    void FadeIn();
    void FadeOut();
    void SetVisible(bool visible);
    bool IsBar() const { return isBar_; }
    void SetEndBar(bool endBar) { endBar_ = endBar; }
    bool IsEndBar() const { return endBar_; }
    void SetShowLabel(bool show) { showLabel_ = show; }
    bool ShowsLabel() const { return showLabel_; }
    void SetZ(int z) { z_ = z; }
    int GetZ() const { return z_; }

    // The view's x and right edge (label end plus 1) at the stored zoom.
    int GetX() const;
    int GetRight() const;

    const std::string& GetLabel() const { return label_; }
    int GetPosition() const { return position_; }
    double GetViewScale() const { return viewScale_; }
    State GetState() const { return state_; }
    // Shown, or fading in.
    bool IsVisible() const { return state_ == State::Shown || state_ == State::FadingIn; }

private:
    std::string label_;
    int position_ = 0;
    bool isBar_ = true;
    double viewScale_ = 1.0;
    double beatThreshold_ = 1.0;
    bool endBar_ = false;
    bool showLabel_ = true;
    int z_ = 0;
    double labelWidth_ = 0.0;
    State state_ = State::Shown;
};

// The lines that have views, as rows for the bars region's Repeater of
// TimeBar delegates, in the lines' order. A small change of the rows (a
// scroll) inserts and removes rows at their places; a large one (a jump)
// hands the existing delegates other lines, so that no view is made anew.
class BarLineModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(double viewScale READ viewScale NOTIFY viewScaleChanged)
public:
    enum Roles {
        LabelRole = Qt::UserRole + 1,
        PositionRole,
        IsBarRole,
        IsEndRole,
        ShowsLabelRole,
        // The line's index times 4 plus its State: a delegate that gets
        // another line takes its state at once, its own line's changes fade.
        KeyRole,
        ZRole,
    };

    explicit BarLineModel(const std::vector<BarController>* lines);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    double viewScale() const { return viewScale_; }
    void SetViewScale(double scale);

    // Shows these lines (ascending indices).
    void SetRows(std::vector<std::size_t> rows);
    // The lines were replaced: shows these anew.
    void Reset(std::vector<std::size_t> rows);
    // The labels or states of the shown lines changed.
    void Refresh();

    const std::vector<std::size_t>& Rows() const { return rows_; }
    bool HasRow(std::size_t line) const;

signals:
    void viewScaleChanged();

private:
    void UpdateInPlace(const std::vector<std::size_t>& rows);
    void Rebind(std::vector<std::size_t> rows);

    const std::vector<BarController>* lines_;
    std::vector<std::size_t> rows_;
    double viewScale_ = 1.0;
};

class BarsBeatsViewController : public QObject
{
    Q_OBJECT
public:
    // barsRegion: the timeline view's bars region; the second argument is not
    // used. fadeRegion: draw audio past the song's end as a fade box.
    BarsBeatsViewController(QObject* barsRegion, QObject* unused, double ticksPerBasePixel, QQmlEngine* engine,
                            EditModel* editModel, bool fadeRegion);
    ~BarsBeatsViewController() override;

    // Builds every line again for the edit model's current song, writes the
    // audio boxes and runs the label pass at once.
    void Layout();
    // Removes every line.
    void Clear();
    void SetViewScale(double scale, bool immediate);
    // The lines between these base pixels (and a line's label past the left
    // one) get views; the others lose theirs.
    void SetReach(int leftBasePixel, int rightBasePixel);

    const std::vector<BarController>& GetLines() const { return lines_; }
    BarLineModel* GetLineModel() const { return model_.get(); }
    double GetViewScale() const { return viewScale_; }

private:
    void UpdateLabels(bool immediate);
    // Decides one line against the reference; true when it hid a beat label.
    bool PlaceLabel(std::size_t line, bool last, bool immediate, std::ptrdiff_t& reference);
    void ShowLine(BarController& line, bool visible, bool immediate);
    void ApplyReach();
    void WriteRegion(const char* name, const QVariant& value);

    double viewScale_ = 1.0;
    QQmlEngine* engine_ = nullptr;
    QPointer<QObject> barsRegion_;
    QPointer<QObject> fadeBox_;
    EditModel* editModel_ = nullptr;
    double ticksPerBasePixel_ = 25.0;
    int labelGap_ = 20;
    bool fadeRegion_ = true;
    std::vector<BarController> lines_;
    std::unique_ptr<BarLineModel> model_;
    LabelWidths labelWidths_;
    int reachLeft_ = 0;
    int reachRight_ = -1;
    // Until then lines that fade out keep their views (steady clock, ms).
    double fadingUntil_ = 0.0;
};

} // namespace vand::qt
