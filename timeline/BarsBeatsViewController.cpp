#include "timeline/BarsBeatsViewController.h"

#include <QVariant>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "model/BarsBeatsEventSequence.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

// TimeBar.qml: the label sits at x 3; the item ends 1 pixel after it.
constexpr double kLabelX = 3.0;
constexpr double kLabelEnd = 1.0;
// The fades of TimeBar.qml (500 ms) and some slack.
constexpr double kFadeMs = 600.0;

double SteadyMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

// --- one line ---

BarController::BarController(std::string label, int position, bool isBar, double viewScale, double labelWidth)
    : label_(std::move(label))
    , position_(position)
    , isBar_(isBar)
    , labelWidth_(labelWidth)
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
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant BarLineModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || std::size_t(index.row()) >= rows_.size())
        return {};
    const std::size_t lineIndex = rows_[std::size_t(index.row())];
    const BarController& line = (*lines_)[lineIndex];
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
    case KeyRole:
        return static_cast<int>(lineIndex * 4 + static_cast<std::size_t>(line.GetState()));
    case ZRole:
        return line.GetZ();
    default:
        return {};
    }
}

QHash<int, QByteArray> BarLineModel::roleNames() const
{
    return {{LabelRole, "lineLabel"}, {PositionRole, "linePosition"},     {IsBarRole, "lineIsBar"},
            {IsEndRole, "lineIsEnd"}, {ShowsLabelRole, "lineShowsLabel"}, {KeyRole, "lineKey"},
            {ZRole, "lineZ"}};
}

void BarLineModel::SetViewScale(double scale)
{
    if (scale == viewScale_)
        return;
    viewScale_ = scale;
    emit viewScaleChanged();
}

bool BarLineModel::HasRow(std::size_t line) const
{
    return std::binary_search(rows_.begin(), rows_.end(), line);
}

void BarLineModel::Reset(std::vector<std::size_t> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void BarLineModel::SetRows(std::vector<std::size_t> rows)
{
    if (rows == rows_)
        return;
    std::vector<std::size_t> shared;
    std::set_intersection(rows_.begin(), rows_.end(), rows.begin(), rows.end(), std::back_inserter(shared));
    if (shared.size() * 2 >= std::min(rows_.size(), rows.size()))
        UpdateInPlace(rows);
    else
        Rebind(std::move(rows));
}

void BarLineModel::UpdateInPlace(const std::vector<std::size_t>& rows)
{
    // Runs of rows that leave, then runs of rows that come, each at its place.
    for (std::size_t r = 0; r < rows_.size();) {
        if (std::binary_search(rows.begin(), rows.end(), rows_[r])) {
            ++r;
            continue;
        }
        std::size_t end = r + 1;
        while (end < rows_.size() && !std::binary_search(rows.begin(), rows.end(), rows_[end]))
            ++end;
        beginRemoveRows({}, int(r), int(end) - 1);
        rows_.erase(rows_.begin() + std::ptrdiff_t(r), rows_.begin() + std::ptrdiff_t(end));
        endRemoveRows();
    }
    std::size_t r = 0;
    for (std::size_t j = 0; j < rows.size();) {
        if (r < rows_.size() && rows_[r] == rows[j]) {
            ++r;
            ++j;
            continue;
        }
        std::size_t end = j + 1;
        while (end < rows.size() && (r >= rows_.size() || rows[end] < rows_[r]))
            ++end;
        beginInsertRows({}, int(r), int(r + end - j) - 1);
        rows_.insert(rows_.begin() + std::ptrdiff_t(r), rows.begin() + std::ptrdiff_t(j),
                     rows.begin() + std::ptrdiff_t(end));
        endInsertRows();
        r += end - j;
        j = end;
    }
}

void BarLineModel::Rebind(std::vector<std::size_t> rows)
{
    const std::size_t before = rows_.size();
    const std::size_t after = rows.size();
    if (after > before) {
        beginInsertRows({}, int(before), int(after) - 1);
        rows_ = std::move(rows);
        endInsertRows();
    } else if (after < before) {
        beginRemoveRows({}, int(after), int(before) - 1);
        rows_ = std::move(rows);
        endRemoveRows();
    } else {
        rows_ = std::move(rows);
    }
    const std::size_t kept = std::min(before, after);
    if (kept > 0)
        emit dataChanged(index(0), index(int(kept) - 1));
}

void BarLineModel::Refresh()
{
    if (!rows_.empty())
        emit dataChanged(index(0), index(int(rows_.size()) - 1), {ShowsLabelRole, KeyRole});
}

// --- the lane ---

BarsBeatsViewController::BarsBeatsViewController(QObject* barsRegion, QObject*, double ticksPerBasePixel,
                                                 QQmlEngine* engine, EditModel* editModel, bool fadeRegion)
    : engine_(engine)
    , barsRegion_(barsRegion)
    , editModel_(editModel)
    , ticksPerBasePixel_(ticksPerBasePixel)
    , fadeRegion_(fadeRegion)
    , model_(std::make_unique<BarLineModel>(&lines_))
    , labelWidths_(10)
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
    SetViewProperty(barsRegion_, name, value, ViewPropertyReport::Once);
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
            lines.emplace_back(bar.label, basePixels(bar.GetBarTick()), true, viewScale_,
                               labelWidths_.Advance(bar.label));
            lines.back().SetZ(z--);
        }
        for (std::size_t k = 1; k < bar.GetBeatCount(); ++k) {
            const std::string& beatLabel = bar.beatLabels[k];
            const int tick = bar.GetBeatTick(beatLabel);
            if (tick < length) {
                lines.emplace_back(beatLabel, basePixels(tick), false, viewScale_, labelWidths_.Advance(beatLabel));
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

    model_->Reset({});
    lines_ = std::move(lines);
    // Reals written to int properties: truncated toward zero, as a QML
    // assignment does.
    const auto pixels = [this](long long ticks) { return QVariant(static_cast<int>(ticks / ticksPerBasePixel_)); };
    WriteRegion("audioFadeRegionWidth", pixels(fadeWidth));
    WriteRegion("audioFadeRegionPos", pixels(fadePos));
    SetViewProperty(fadeBox_, "z", z - 1, ViewPropertyReport::Once);
    WriteRegion("audioOutRegionWidth", pixels(outWidth));
    WriteRegion("audioOutRegionPos", pixels(outPos));
    WriteRegion("audioInRegionWidth", pixels(startTick));
    WriteRegion("audioInRegionPos", pixels(0));
    UpdateLabels(true);
}

void BarsBeatsViewController::Clear()
{
    model_->Reset({});
    lines_.clear();
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
    const auto last =
        std::upper_bound(lines_.begin(), lines_.end(), reachRight_,
                         [](int position, const BarController& line) { return position < line.GetPosition(); });
    const bool fading = SteadyMs() < fadingUntil_;
    std::vector<std::size_t> rows;
    for (auto it = first; it < last; ++it) {
        const auto index = std::size_t(it - lines_.begin());
        // A line that fades out keeps the view it has until the fade is over.
        if (it->IsVisible() || (fading && it->GetState() == BarController::State::FadingOut && model_->HasRow(index)))
            rows.push_back(index);
    }
    model_->SetRows(std::move(rows));
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
    if (!immediate)
        fadingUntil_ = SteadyMs() + kFadeMs;
    model_->Refresh();
    ApplyReach();
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
