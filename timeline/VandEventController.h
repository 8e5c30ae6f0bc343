#pragma once

// The timeline's event items: one controller per change-log event, and per
// key, tempo and meter of the song, each standing for one small view in a
// lane of the timeline.
//
// A controller keeps everything its view shows (position, size, colour,
// flags, zoom) and makes the view only while the item's extent lies within
// the reach the timeline gives it (UpdateReach): a long song has thousands of
// items, of which only those near the visible range exist as views. An item
// that the next one of its kind hides exactly (same place, same shape) gets
// no view either, so however many events crowd into a pixel, a lane holds at
// most a few views per pixel of its reach. Making
// the view applies the stored state and the connections; dropping it hides
// it at once and deletes it later. Positions and label widths are computed,
// so label decisions hold for items without a view.
//
// Threads: GUI thread. The event pointer is not owned; it lives in the
// player's song log and is valid until the log changes.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <string>

#include "ui/QmlController.h"

class QQmlEngine;
class QQuickItem;

namespace cmn {
class VandEvent;
}

namespace vand::qt {

class ItemViewFactory;

class VandEventController : public QmlController
{
    Q_OBJECT
public:
    VandEventController(const cmn::VandEvent* event, bool editable, QQmlEngine* engine, const QString& viewUrl,
                        QObject* parentItem, std::shared_ptr<ItemViewFactory> views);
    ~VandEventController() override;

    void SetEvent(const cmn::VandEvent* event) { event_ = event; }
    const cmn::VandEvent* GetEvent() const { return event_; }
    void SetEditable(bool editable);
    bool IsEditable() const { return editable_; }
    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }

    int GetBasePosition() const { return basePosition_; }
    double GetViewScale() const { return viewScale_; }
    // Stores the zoom and writes the view's "viewScale".
    virtual void ApplyViewScale(double scale);
    // The left and right edges the view has at the stored zoom, as ints (what
    // the view's x and x + width read back as).
    int LeftEdge() const;
    int RightEdge() const;

    // Makes the view when the item's extent overlaps [left, right] (content
    // pixels) and it is not covered, drops it otherwise.
    void UpdateReach(double left, double right, bool covered = false);
    // Whether `next`, the item after this one in its list, hides this one's
    // view entirely at the stored zoom: the same kind at the same pixels.
    virtual bool IsCoveredBy(const VandEventController& next) const;
    bool HasView() const { return !view_.isNull(); }
    // Hides the view at once and deletes it later; the item stays and makes a
    // new view at the next UpdateReach that reaches it.
    void DropView();

public slots:
    virtual void Clicked_();
    virtual void DoubleClicked_();
    virtual void Dragged_(int start, int end, bool adjustLeft = false, bool adjustRight = false);

signals:
    void SelectedSignal(const cmn::VandEvent* event);
    void DoubleClickedSignal();
    void DraggedSignal(const cmn::VandEvent* event, int start, int end, bool adjustLeft, bool adjustRight);

protected:
    // Extent of the item in content pixels at the stored zoom.
    virtual double ExtentLeft() const;
    virtual double ExtentRight() const;
    // Width of the view in pixels at the stored zoom.
    virtual double ViewWidth() const = 0;
    // The view's initial properties beyond editable and selected.
    virtual QVariantMap ViewProperties() const = 0;
    // Connections and writes once the view is made (clicked() is connected
    // already); by default the double-click and the two-argument drag of a
    // point item.
    virtual void ViewMade(QObject* view);

    ItemViewFactory* Views() const { return views_.get(); }
    // Writes a property of the view, when there is one.
    void WriteView(const char* name, const QVariant& value);
    // Makes the view now, whatever the reach.
    void MakeView();

    int basePosition_ = 0;
    double viewScale_ = 1.0;

private:
    const cmn::VandEvent* event_ = nullptr;
    bool editable_ = false;
    bool selected_ = false;
    QString viewUrl_;
    QPointer<QQuickItem> lane_;
    QPointer<QQuickItem> view_;
    std::shared_ptr<ItemViewFactory> views_;
};

// A ranged event (skip, vamp, cut, repeat, transposition, tempo scaling,
// click change) drawn as a coloured region with resize handles.
class TimeRegionController : public VandEventController
{
    Q_OBJECT
public:
    TimeRegionController(const cmn::VandEvent* event, bool editable, int basePosition, int baseWidth, int colourKey,
                         QQmlEngine* engine, QObject* parentItem, std::shared_ptr<ItemViewFactory> views);

    int GetColourKey() const { return colourKey_; }
    int GetBaseWidth() const { return baseWidth_; }
    // Stores the zoom and passes it to the view through SetViewScale.
    void ApplyViewScale(double scale) override;

signals:
    void SetBasePosition(int position);
    void SetViewScale(double scale);

protected:
    double ViewWidth() const override;
    QVariantMap ViewProperties() const override;
    void ViewMade(QObject* view) override;

private:
    int colourKey_ = 0;
    int baseWidth_ = 0;
};

// A caesura, drawn as a glyph of two strokes.
class TimeLineCaesuraController : public VandEventController
{
    Q_OBJECT
public:
    TimeLineCaesuraController(const cmn::VandEvent* event, bool editable, int basePosition, QQmlEngine* engine,
                              QObject* parentItem, std::shared_ptr<ItemViewFactory> views);

protected:
    double ViewWidth() const override;
    QVariantMap ViewProperties() const override;
};

// A change-log marker, or a key, tempo or meter label (no event), drawn as a
// label that turns into a diamond when it has no room.
class TimeLineMarkerController : public VandEventController
{
public:
    TimeLineMarkerController(const cmn::VandEvent* event, bool editable, const std::string& labelText, int basePosition,
                             QQmlEngine* engine, QObject* parentItem, std::shared_ptr<ItemViewFactory> views);

    void SetLabelVisible(bool visible);
    bool IsLabelVisible() const { return labelVisible_; }
    QString GetLabelText() const { return QString::fromStdString(labelText_); }
    // Two diamonds at the same pixel: a label drawn over a diamond leaves the
    // diamond showing.
    bool IsCoveredBy(const VandEventController& next) const override;
    // Whether the label ends more than 10 pixels before `nextLeft` at the
    // stored zoom. The label is measured only when that is in doubt, so that
    // markers crowded together cost no text layout.
    bool LabelEndsBefore(int nextLeft) const;

protected:
    double ExtentLeft() const override;
    double ViewWidth() const override;
    QVariantMap ViewProperties() const override;

private:
    std::string labelText_;            // short labels need no allocation of their own
    mutable double labelWidth_ = -1.0; // measured when first needed
    bool labelVisible_ = true;
};

// An OSC command event, drawn as an icon centred on its position.
class TimeLineGlyphController : public VandEventController
{
public:
    TimeLineGlyphController(const cmn::VandEvent* event, bool editable, int basePosition, QQmlEngine* engine,
                            QObject* parentItem, const QString& glyphPath, bool oscEnabled,
                            std::shared_ptr<ItemViewFactory> views);

protected:
    double ExtentLeft() const override;
    double ViewWidth() const override;
    QVariantMap ViewProperties() const override;

private:
    QString glyphPath_;
    bool oscEnabled_ = true;
};

} // namespace vand::qt
