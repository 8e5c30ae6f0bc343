#pragma once

// The records that name a change-log event or a marker between the edit
// panel's lists, the edit controller, the main controller and the timeline.
// Plain values; any thread.

#include <QMetaType>
#include <QString>
#include <string>

#include "cmn/Types.h"

namespace CL {
class Marker;
}
namespace cmn {
class VandEvent;
}

namespace vand::qt {

// One row of the event list. Equal when all five fields are equal.
struct EventInfoItem
{
    UInt32 start = 0;
    UInt32 end = 0;
    UInt8 code = 0;
    QString value;
    bool paired = false;

    static EventInfoItem FromEvent(const cmn::VandEvent& event);
    // How the event list shows an OSC message ("▶ door", "Volume Change", ...).
    static QString OscDisplayText(const std::string& message);

    bool operator==(const EventInfoItem& other) const = default;
};

// One row of the marker list. Equal when name and position are equal; the
// location is not compared.
struct MarkerInfoItem
{
    MarkerInfoItem() = default;
    MarkerInfoItem(std::string name, std::string location, UInt32 position);

    std::string name;
    std::string location;
    UInt32 position = 0;

    // Location left empty.
    static MarkerInfoItem FromMarker(const CL::Marker& marker);

    bool operator==(const MarkerInfoItem& other) const { return name == other.name && position == other.position; }
};

// The percentage a tempo factor is shown as: factor × 100 in single
// precision, rounded half away from zero (1.25 gives 125, the float nearest
// 0.53 gives 53).
int TempoScalePercent(float factor);

// Registers both records under their bare names ("EventInfoItem",
// "MarkerInfoItem"), which the string-based connections carry. Idempotent.
void RegisterSelectionRecordTypes();

} // namespace vand::qt

Q_DECLARE_METATYPE(vand::qt::EventInfoItem)
Q_DECLARE_METATYPE(vand::qt::MarkerInfoItem)

namespace vand::qt {

// Payload of notify::names::editControllerMarkerListSelected: the tick of the
// marker chosen in the marker list and whether the player was playing.
struct MarkerListSelection
{
    UInt32 tick = 0;
    bool playing = false;
};

} // namespace vand::qt
