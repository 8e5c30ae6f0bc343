#pragma once

// The marker tool: a marker names a bar and beat with a text, which the
// marker list shows.
//
// Threads: GUI thread only.

#include "edittools/EditToolController.h"

namespace vand::qt {

class MarkerToolController : public EditToolController
{
    Q_OBJECT
public:
    MarkerToolController(QQmlEngine* engine, std::shared_ptr<Interface> player, EditController* editController,
                         QObject* parent);

    void ConnectSignals() override;

signals:
    void markerToolClosing();

public slots:
    void onMarkerButtonClicked(TL::BarsBeats position = TL::BarsBeats());
    void onMarkerCreationRequest(QString bar, int beat, QString value);
    void onMarkerEdit(cmn::VandEvent* vandEvent);
    void onMarkerChangeRequest(QString bar, int beat, QString value);
    void onMarkerToolClosing();

private:
    // The tick of the bar and beat, raised to the song's current start tick.
    UInt32 MarkerTick(const QString& bar, int beat) const;
};

} // namespace vand::qt
