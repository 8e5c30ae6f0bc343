#include "timeline/BarsBeatsViewController.h"

#include <QVariant>
#include <algorithm>
#include <cmath>

#include "app/EditModel.h"
#include "app/ShowManager.h"
#include "timeline/BarsBeatsEventSequence.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

// TimeBar.qml: the label sits at x 3; the item ends 1 pixel after it.
constexpr double kLabelX = 3.0;
constexpr double kLabelEnd = 1.0;

} // namespace

// --- one line ---

BarController::BarController(std::string label, int position, bool isBar, double viewScale, double labelWidth)
    : label_(std::move(label)), position_(position), isBar_(isBar), labelWidth_(labelWidth)
{
    SetViewScale(viewScale, true);
}

void BarController::SetViewScale(double scale, bool immediate)
{
    if (scale == viewScale_)
        return;
    viewScale_ = scale;
    if (isBar_)
        return;
    const bool shown = scale >= beatThreshold_;
    if (immediate)
        SetVisible(shown);
    else if (shown)
        FadeIn();
    else
        FadeOut();
}

void BarController::FadeIn()
{
    if (isBar_ || viewScale_ >= beatThreshold_)
        state_ = State::FadingIn;
}

void BarController::FadeOut()
{
    state_ = State::FadingOut;
}

void BarController::SetVisible(bool visible)
{
    state_ = visible ? State::Shown : State::Hidden;
}

int BarController::GetX() const
{
    return ViewInt(position_ * viewScale_);
}

int BarController::GetRight() const
{
    return GetX() + ViewInt(labelWidth_ + kLabelX + kLabelEnd);
}

// --- the lines within reach ---

BarLineModel::BarLineModel(const std::vector<BarController>* lines)
    : lines_(lines)
{
}

int BarLineModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(last_ - first_);
}

QVariant BarLineModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || std::size_t(index.row()) >= last_ - first_)
        return {};
    const BarController& line = (*lines_)[first_ + std::size_t(index.row())];
    switch (role) {
    case LabelRole:
        return QString::fromStdString(line.GetLabel());
    case PositionRole:
        return line.GetPosition();
    case IsBarRole:
        return line.IsBar();
    case IsEndRole:
        return line.IsEndBar();
    case ShowsLabelRole:
        return line.ShowsLabel();
    case StateRole:
        return static_cast<int>(line.GetState());
    case ZRole:
        return line.GetZ();
    default:
        return {};
    }
}

QHash<int, QByteArray> BarLineModel::roleNames() const
{
    return {{LabelRole, "lineLabel"},     {PositionRole, "linePosition"}, {IsBarRole, "lineIsBar"},
            {IsEndRole, "lineIsEnd"},     {ShowsLabelRole, "lineShowsLabel"}, {StateRole, "lineState"},
            {ZRole, "lineZ"}};
}

void BarLineModel::SetViewScale(double scale)
{
    if (scale == viewScale_)
        return;
    viewScale_ = scale;
    emit viewScaleChanged();
}

void BarLineModel::Reset(std::size_t first, std::size_t last)
{
    beginResetModel();
    first_ = first;
    last_ = std::max(first, last);
    endResetModel();
}

void BarLineModel::SetRange(std::size_t first, std::size_t last)
{
    last = std::max(first, last);
    if (first == first_ && last == last_)
        return;
    if (first_ == last_ || first == last || first >= last_ || last <= first_) {
        Reset(first, last);
        return;
    }
    if (first > first_) {
        beginRemoveRows({}, 0, int(first - first_) - 1);
        first_ = first;
        endRemoveRows();
    } else if (first < first_) {
        beginInsertRows({}, 0, int(first_ - first) - 1);
        first_ = first;
        endInsertRows();
    }
    if (last < last_) {
        beginRemoveRows({}, int(last - first_), int(last_ - first_) - 1);
        last_ = last;
        endRemoveRows();
    } else if (last > last_) {
        beginInsertRows({}, int(last_ - first_), int(last - first_) - 1);
        last_ = last;
        endInsertRows();
    }
}

void BarLineModel::Refresh()
{
    if (last_ > first_)
        emit dataChanged(index(0), index(int(last_ - first_) - 1), {ShowsLabelRole, StateRole});
}

// --- the lane ---

BarsBeatsViewController::BarsBeatsViewController(QObject* barsRegion, QObject*, double ticksPerBasePixel,
                                                 QQmlEngine* engine, EditModel* editModel, bool fadeRegion)
    : engine_(engine), barsRegion_(barsRegion), editModel_(editModel), ticksPerBasePixel_(ticksPerBasePixel),
      fadeRegion_(fadeRegion), model_(std::make_unique<BarLineModel>(&lines_)), labelWidths_(10)
{
    if (barsRegion_) {
        fadeBox_ = barsRegion_->property("audioFadeBoxControl").value<QObject*>();
        WriteRegion("lineModel", QVariant::fromValue<QObject*>(model_.get()));
    }
}

BarsBeatsViewController::~BarsBeatsViewController()
{
    // The region's Repeater lets go of the model before it goes.
    WriteRegion("lineModel", QVariant::fromValue<QObject*>(nullptr));
}

void BarsBeatsViewController::WriteRegion(const char* name, const QVariant& value)
{
    WriteViewProperty(barsRegion_, name, value);
}

void BarsBeatsViewController::Layout()
{
    // Everything is read before anything changes, so a failure leaves the
    // lane as it was.
    const std::string song = editModel_->song;
    const std::shared_ptr<vand::ShowManager> manager = editModel_->GetShowManager();
    const long long length = manager->GetSongLength(song);
    const std::shared_ptr<BarsBeatsEventSequence> table = editModel_->barsBeats;
    const long long audioEnd = editModel_->GetSongAudioEndTick();
    const std::shared_ptr<Interface> player = manager->GetPlayer();
    const long long startTick = player ? player->GetCurrentStartTickIndex() : 0;

    const auto basePixels = [this](long long tick) { return static_cast<int>(tick / ticksPerBasePixel_); };
    std::vector<BarController> lines;
    int z = 0;
    const std::size_t barCount = table ? table->GetBarCount() : 0;
    lines.reserve(barCount * 4 + 1);
    for (std::size_t i = 0; i < barCount; ++i) {
        const BarInfo& bar = table->BarAt(i);
        if (bar.GetBarTick() < length) {
            const QString label = QString::fromStdString(bar.label);
            lines.emplace_back(bar.label, basePixels(bar.GetBarTick()), true, viewScale_,
                               labelWidths_.Advance(label));
            lines.back().SetZ(z--);
        }
        for (std::size_t k = 1; k < bar.GetBeatCount(); ++k) {
            const std::string& beatLabel = bar.beatLabels[k];
            const int tick = bar.GetBeatTick(beatLabel);
            if (tick < length) {
                lines.emplace_back(beatLabel, basePixels(tick), false, viewScale_,
                                   labelWidths_.Advance(QString::fromStdString(beatLabel)));
                lines.back().SetZ(z--);
            }
        }
    }
    lines.emplace_back(std::string(), basePixels(length), true, viewScale_, 0.0);
    lines.back().SetZ(z);
    lines.back().SetEndBar(true);

    long long fadeWidth = 0;
    long long fadePos = 0;
    long long outWidth = 0;
    long long outPos = 0;
    if (audioEnd >= length && fadeRegion_) {
        fadeWidth = audioEnd - length;
        fadePos = length;
    } else {
        outWidth = static_cast<int>(length - audioEnd);
        outPos = audioEnd;
    }

    lines_ = std::move(lines);
    model_->Reset(0, 0);
    // Reals written to int properties: truncated toward zero, as a QML
    // assignment does.
    const auto pixels = [this](long long ticks) { return QVariant(static_cast<int>(ticks / ticksPerBasePixel_)); };
    WriteRegion("audioFadeRegionWidth", pixels(fadeWidth));
    WriteRegion("audioFadeRegionPos", pixels(fadePos));
    WriteViewProperty(fadeBox_, "z", z - 1);
    WriteRegion("audioOutRegionWidth", pixels(outWidth));
    WriteRegion("audioOutRegionPos", pixels(outPos));
    WriteRegion("audioInRegionWidth", pixels(startTick));
    WriteRegion("audioInRegionPos", pixels(0));
    UpdateLabels(true);
    ApplyReach();
}

void BarsBeatsViewController::Clear()
{
    lines_.clear();
    model_->Reset(0, 0);
}

void BarsBeatsViewController::SetViewScale(double scale, bool immediate)
{
    if (scale == viewScale_)
        return;
    viewScale_ = scale;
    for (BarController& line : lines_)
        line.SetViewScale(scale, immediate);
    model_->SetViewScale(scale);
    UpdateLabels(immediate);
}

void BarsBeatsViewController::SetReach(int leftBasePixel, int rightBasePixel)
{
    reachLeft_ = leftBasePixel;
    reachRight_ = rightBasePixel;
    ApplyReach();
}

void BarsBeatsViewController::ApplyReach()
{
    const auto byPosition = [](const BarController& line, int position) { return line.GetPosition() < position; };
    auto first = std::lower_bound(lines_.begin(), lines_.end(), reachLeft_, byPosition);
    // The line before reaches in with its label.
    if (first != lines_.begin())
        --first;
    const auto last = std::upper_bound(lines_.begin(), lines_.end(), reachRight_,
                                       [](int position, const BarController& line) {
                                           return position < line.GetPosition();
                                       });
    const auto firstIndex = std::size_t(first - lines_.begin());
    const auto lastIndex = std::max(firstIndex, std::size_t(last - lines_.begin()));
    model_->SetRange(firstIndex, lastIndex);
}

void BarsBeatsViewController::UpdateLabels(bool immediate)
{
    std::ptrdiff_t reference = -1;
    std::vector<std::size_t> pending;
    bool group = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].IsBar()) {
            for (std::size_t beat : pending)
                lines_[beat].SetShowLabel(!group);
            pending.clear();
            group = false;
        } else {
            pending.push_back(i);
        }
        if (PlaceLabel(i, i + 1 == lines_.size(), immediate, reference))
            group = true;
    }
    model_->Refresh();
}

void BarsBeatsViewController::ShowLine(BarController& line, bool visible, bool immediate)
{
    if (line.IsBar()) {
        if (visible)
            line.SetShowLabel(true);
    } else {
        line.SetShowLabel(visible);
        // Below the zoom that draws beat lines a beat stays hidden, also
        // with its label shown; above it a beat line stays without its label.
        visible = line.GetViewScale() >= 1.0;
    }
    if (immediate)
        line.SetVisible(visible);
    else if (visible)
        line.FadeIn();
    else
        line.FadeOut();
}

bool BarsBeatsViewController::PlaceLabel(std::size_t index, bool last, bool immediate, std::ptrdiff_t& reference)
{
    BarController& line = lines_[index];
    if (reference < 0) {
        ShowLine(line, true, immediate);
        reference = std::ptrdiff_t(index);
        return false;
    }
    BarController& previous = lines_[std::size_t(reference)];
    const double gap = labelGap_ / (previous.IsBar() && line.IsBar() ? 1.0 : 5.0);
    const bool tooClose = line.GetX() <= previous.GetRight() + gap;
    if (!tooClose) {
        ShowLine(line, true, immediate);
        reference = std::ptrdiff_t(index);
        return false;
    }
    if (last || (line.IsBar() && !previous.IsBar())) {
        ShowLine(line, true, immediate);
        ShowLine(previous, false, immediate);
        reference = std::ptrdiff_t(index);
        return !previous.IsBar();
    }
    ShowLine(line, false, immediate);
    return !line.IsBar();
}

} // namespace vand::qt
