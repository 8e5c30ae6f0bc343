#include "model/SelectionRecords.h"

#include <cmath>

#include "CL/Events.h"
#include "cmn/VandEvent.h"
#include "kit/Log.h"

namespace vand::qt {

namespace {

const QString kSfxPrefix = QStringLiteral("/vand/sfx/");

QString CountText(int count)
{
    return count != 0 ? QString::number(count) + QLatin1Char('x') : QString(QChar(0x221E));
}

QString TranspositionText(int steps)
{
    return steps >= 0 ? QLatin1Char('+') + QString::number(steps) : QString::number(steps);
}

QString TempoScaleText(float factor)
{
    return QString::number(TempoScalePercent(factor)) + QLatin1Char('%');
}

} // namespace

int TempoScalePercent(float factor)
{
    const float percent = factor * 100.0f;
    return static_cast<int>(percent >= 0 ? percent + 0.5f : percent - 0.5f);
}

EventInfoItem EventInfoItem::FromEvent(const cmn::VandEvent& event)
{
    EventInfoItem item;
    switch (event.code()) {
    case '@':
    case 'A':
        item.value = CountText(event.int_value());
        break;
    case 'C':
        item.value = TranspositionText(event.int_value());
        break;
    case 'D':
        item.value = TempoScaleText(event.float_value());
        break;
    case 'S':
        item.value = OscDisplayText(event.osc_properties().Message());
        break;
    case 'Q':
    case 'R':
        item.value = QString::fromStdString(event.sfx_properties().name());
        break;
    default:
        break;
    }
    item.start = event.start();
    item.end = event.end();
    item.code = event.code();
    item.paired = event.IsPairedEvent();
    return item;
}

QString EventInfoItem::OscDisplayText(const std::string& message)
{
    const QString text = QString::fromStdString(message).trimmed();
    if (text.startsWith(kSfxPrefix)) {
        const qsizetype slash = text.indexOf(QLatin1Char('/'), kSfxPrefix.size());
        if (slash < 0) {
            kit::Log(kit::LogLevel::Error, "edit", "Invalid format: Unable to find the ending '/'");
            return text;
        }
        const QString name = text.mid(kSfxPrefix.size(), slash - kSfxPrefix.size());
        const qsizetype blank = text.indexOf(QLatin1Char(' '), slash);
        QString action = blank < 0 ? text.mid(slash + 1) : text.mid(slash + 1, blank - slash - 1);
        if (!action.isEmpty())
            action[0] = action[0].toUpper();
        const QString lower = action.toLower();
        if (lower == QLatin1String("play"))
            action = QString(QChar(0x25B6));
        else if (lower == QLatin1String("stop"))
            action = QString(QChar(0x23F9));
        else if (lower == QLatin1String("fadeto"))
            action = QStringLiteral("Fade");
        return action + QLatin1Char(' ') + name;
    }
    if (text.startsWith(QLatin1String("/vand/volume")))
        return QStringLiteral("Volume Change");
    if (text.startsWith(QLatin1String("/vand/fadeto")))
        return QStringLiteral("Fade To...");
    return text;
}

MarkerInfoItem::MarkerInfoItem(std::string markerName, std::string markerLocation, UInt32 markerPosition)
    : name(std::move(markerName))
    , location(std::move(markerLocation))
    , position(markerPosition)
{
}

MarkerInfoItem MarkerInfoItem::FromMarker(const CL::Marker& marker)
{
    return MarkerInfoItem(marker.value(), std::string(), marker.abs_time());
}

void RegisterSelectionRecordTypes()
{
    qRegisterMetaType<EventInfoItem>("EventInfoItem");
    qRegisterMetaType<MarkerInfoItem>("MarkerInfoItem");
}

} // namespace vand::qt
