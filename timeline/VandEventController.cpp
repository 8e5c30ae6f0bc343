#include "timeline/VandEventController.h"

#include <QQuickItem>
#include <QVariant>

#include "cmn/VandEvent.h"
#include "timeline/ItemViewFactory.h"
#include "timeline/RegionColours.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

namespace {

// Shared by every item of a kind (a song may have many).
const QString kRegionUrl = QStringLiteral("qrc:/qt/qml/com/tarnwick/musical_ui/qml/TimeRegion.qml");
const QString kCaesuraUrl = QStringLiteral("qrc:/qt/qml/com/tarnwick/musical_ui/qml/TimeLineCaesura.qml");
const QString kMarkerUrl = QStringLiteral("qrc:/qt/qml/com/tarnwick/musical_ui/qml/TimeLineMarker.qml");
const QString kGlyphUrl = QStringLiteral("qrc:/qt/qml/com/tarnwick/musical_ui/qml/TimeLineGlyph.qml");

// View sizes in pixels, whatever the zoom (TimeLineCaesura.qml,
// TimeLineGlyph.qml, TimeLineMarker.qml).
constexpr double kCaesuraWidth = 11.0;
constexpr double kGlyphSize = 20.0;
constexpr double kMarkerPadding = 5.0;
constexpr double kDiamondReach = 4.0;

} // namespace

VandEventController::VandEventController(const cmn::VandEvent* event, bool editable, QQmlEngine* engine,
                                         const QString& viewUrl, QObject* parentItem,
                                         std::shared_ptr<ItemViewFactory> views)
    : QmlController(static_cast<QObject*>(nullptr), engine)
    , viewUrl_(viewUrl)
    , lane_(qobject_cast<QQuickItem*>(parentItem))
    , views_(std::move(views))
{
    SetEvent(event);
    SetEditable(editable);
}

VandEventController::~VandEventController()
{
    DropView();
}

void VandEventController::SetEditable(bool editable)
{
    if (editable == editable_)
        return;
    editable_ = editable;
    WriteView("editable", editable);
}

void VandEventController::SetSelected(bool selected)
{
    selected_ = selected;
    WriteView("selected", selected);
}

double VandEventController::ExtentLeft() const
{
    return basePosition_ * viewScale_;
}

double VandEventController::ExtentRight() const
{
    return basePosition_ * viewScale_ + ViewWidth();
}

int VandEventController::LeftEdge() const
{
    return ViewInt(basePosition_ * viewScale_);
}

int VandEventController::RightEdge() const
{
    return LeftEdge() + ViewInt(ViewWidth());
}

bool VandEventController::IsCoveredBy(const VandEventController& next) const
{
    const bool sameKind =
        (event_ == nullptr) == (next.event_ == nullptr) && (event_ == nullptr || event_->code() == next.event_->code());
    return sameKind && next.LeftEdge() == LeftEdge() && next.RightEdge() >= RightEdge();
}

void VandEventController::UpdateReach(double left, double right, bool covered)
{
    // The right end (a label's width) only for items that start left of the reach.
    const double start = ExtentLeft();
    const bool inReach = !covered && start <= right && (start >= left || ExtentRight() >= left);
    if (inReach && !view_)
        MakeView();
    else if (!inReach && view_)
        DropView();
}

void VandEventController::MakeView()
{
    if (view_ || !views_ || !lane_)
        return;
    QVariantMap properties = ViewProperties();
    if (editable_)
        properties.insert(QStringLiteral("editable"), true);
    if (selected_)
        properties.insert(QStringLiteral("selected"), true);
    QQuickItem* view = views_->Create(viewUrl_, lane_, properties);
    if (!view)
        return; // a view that does not load leaves the item inert
    view_ = view;
    rootObject_ = view;
    ownsRoot_ = false; // dropped by DropView, never by the base
    connect(view, SIGNAL(clicked()), this, SLOT(Clicked_()));
    ViewMade(view);
}

void VandEventController::DropView()
{
    QQuickItem* view = view_.data();
    view_ = nullptr;
    rootObject_ = nullptr;
    if (!view)
        return;
    // The view may be inside one of its own handlers (a drag that leads to a
    // rebuild), so it is only hidden and disconnected now.
    disconnect(view, nullptr, this, nullptr);
    disconnect(this, nullptr, view, nullptr);
    view->setVisible(false);
    view->deleteLater();
}

void VandEventController::WriteView(const char* name, const QVariant& value)
{
    if (view_)
        SetViewProperty(view_, name, value, ViewPropertyReport::Once);
}

void VandEventController::ApplyViewScale(double scale)
{
    viewScale_ = scale;
    WriteView("viewScale", scale);
}

void VandEventController::ViewMade(QObject* view)
{
    connect(view, SIGNAL(doubleClicked()), this, SLOT(DoubleClicked_()));
    connect(view, SIGNAL(dragged(int, int)), this, SLOT(Dragged_(int, int)));
}

void VandEventController::Clicked_()
{
    SetSelected(!selected_);
    emit SelectedSignal(event_);
}

void VandEventController::DoubleClicked_()
{
    emit DoubleClickedSignal();
}

void VandEventController::Dragged_(int start, int end, bool adjustLeft, bool adjustRight)
{
    emit DraggedSignal(event_, start, end, adjustLeft, adjustRight);
}

// --- regions ---

TimeRegionController::TimeRegionController(const cmn::VandEvent* event, bool editable, int basePosition, int baseWidth,
                                           int colourKey, QQmlEngine* engine, QObject* parentItem,
                                           std::shared_ptr<ItemViewFactory> views)
    : VandEventController(event, editable, engine, kRegionUrl, parentItem, std::move(views))
    , colourKey_(colourKey)
    , baseWidth_(baseWidth)
{
    basePosition_ = basePosition;
}

void TimeRegionController::ApplyViewScale(double scale)
{
    viewScale_ = scale;
    emit SetViewScale(scale);
}

double TimeRegionController::ViewWidth() const
{
    return baseWidth_ * viewScale_;
}

QVariantMap TimeRegionController::ViewProperties() const
{
    return {{QStringLiteral("baseWidth"), baseWidth_}, {QStringLiteral("baseColor"), RegionColour(colourKey_)}};
}

void TimeRegionController::ViewMade(QObject* view)
{
    connect(view, SIGNAL(dragged(int, int, bool, bool)), this, SLOT(Dragged_(int, int, bool, bool)));
    connect(view, SIGNAL(doubleClicked()), this, SLOT(DoubleClicked_()));
    connect(this, SIGNAL(SetBasePosition(int)), view, SIGNAL(basePositionSet(int)));
    connect(this, SIGNAL(SetViewScale(double)), view, SIGNAL(viewScaleSet(double)));
    // The handlers place the right handle from the width, which is set.
    emit SetViewScale(viewScale_);
    emit SetBasePosition(basePosition_);
}

// --- caesuras ---

TimeLineCaesuraController::TimeLineCaesuraController(const cmn::VandEvent* event, bool editable, int basePosition,
                                                     QQmlEngine* engine, QObject* parentItem,
                                                     std::shared_ptr<ItemViewFactory> views)
    : VandEventController(event, editable, engine, kCaesuraUrl, parentItem, std::move(views))
{
    basePosition_ = basePosition;
}

double TimeLineCaesuraController::ViewWidth() const
{
    return kCaesuraWidth;
}

QVariantMap TimeLineCaesuraController::ViewProperties() const
{
    return {{QStringLiteral("basePosition"), basePosition_}, {QStringLiteral("viewScale"), viewScale_}};
}

// --- markers and key, tempo and meter labels ---

TimeLineMarkerController::TimeLineMarkerController(const cmn::VandEvent* event, bool editable,
                                                   const std::string& labelText, int basePosition, QQmlEngine* engine,
                                                   QObject* parentItem, std::shared_ptr<ItemViewFactory> views)
    : VandEventController(event, editable, engine, kMarkerUrl, parentItem, views)
    , labelText_(labelText)
{
    basePosition_ = basePosition;
}

bool TimeLineMarkerController::IsCoveredBy(const VandEventController& next) const
{
    const auto* marker = dynamic_cast<const TimeLineMarkerController*>(&next);
    return marker && !labelVisible_ && !marker->labelVisible_ && marker->LeftEdge() == LeftEdge();
}

void TimeLineMarkerController::SetLabelVisible(bool visible)
{
    labelVisible_ = visible;
    WriteView("visibleLabel", visible);
}

double TimeLineMarkerController::ExtentLeft() const
{
    return basePosition_ * viewScale_ - kDiamondReach;
}

double TimeLineMarkerController::ViewWidth() const
{
    if (labelWidth_ < 0)
        labelWidth_ = Views() ? Views()->MarkerLabelWidth(GetLabelText()) : 0.0;
    return labelWidth_ + kMarkerPadding;
}

bool TimeLineMarkerController::LabelEndsBefore(int nextLeft) const
{
    // The narrowest label (none) still takes the padding.
    if (nextLeft - LeftEdge() <= ViewInt(kMarkerPadding) + 10)
        return false;
    return RightEdge() + 10 < nextLeft;
}

QVariantMap TimeLineMarkerController::ViewProperties() const
{
    return {{QStringLiteral("labelText"), GetLabelText()},
            {QStringLiteral("basePosition"), basePosition_},
            {QStringLiteral("viewScale"), viewScale_},
            {QStringLiteral("visibleLabel"), labelVisible_}};
}

// --- OSC glyphs ---

TimeLineGlyphController::TimeLineGlyphController(const cmn::VandEvent* event, bool editable, int basePosition,
                                                 QQmlEngine* engine, QObject* parentItem, const QString& glyphPath,
                                                 bool oscEnabled, std::shared_ptr<ItemViewFactory> views)
    : VandEventController(event, editable, engine, kGlyphUrl, parentItem, std::move(views))
    , glyphPath_(glyphPath)
    , oscEnabled_(oscEnabled)
{
    basePosition_ = basePosition;
}

double TimeLineGlyphController::ExtentLeft() const
{
    return basePosition_ * viewScale_ - kGlyphSize / 2;
}

double TimeLineGlyphController::ViewWidth() const
{
    return kGlyphSize;
}

QVariantMap TimeLineGlyphController::ViewProperties() const
{
    QVariantMap properties = {{QStringLiteral("basePosition"), basePosition_},
                              {QStringLiteral("viewScale"), viewScale_},
                              {QStringLiteral("enableOsc"), oscEnabled_}};
    if (!glyphPath_.isEmpty())
        properties.insert(QStringLiteral("glyphPath"), glyphPath_);
    return properties;
}

} // namespace vand::qt
