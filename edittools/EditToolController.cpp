#include "edittools/EditToolController.h"

#include <QDebug>
#include <QQmlEngine>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <stdexcept>

#include "CL/Editor.h"
#include "cmn/VandEvent.h"
#include "edit/EditController.h"
#include "edit/EditSupport.h"
#include "kit/Log.h"
#include "ui/ViewProperty.h"
#include "vand_core/qt/MetaTypes.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

// The last index of beat in beats; 0 when it is not there.
int LastPosition(const QList<uint>& beats, uint beat)
{
    const qsizetype found = beats.lastIndexOf(beat);
    return found < 0 ? 0 : static_cast<int>(found);
}

// A beat picker's index for a bar whose beats start at 1.
int IndexOfBeat(Int32 beat)
{
    return beat > 0 ? beat - 1 : 0;
}

QList<uint> BeatsOf(const BarListModel& model, int row)
{
    return model.getBeats(row).value<QList<uint>>();
}

} // namespace

const char* const EditToolController::kSongChangedText =
    "The song changed while this dialog was open; nothing was changed.";

EditToolController::EditToolController(QQmlEngine* engine, const QUrl& url, EditController* editController,
                                       std::shared_ptr<Interface> player, unsigned char eventCode, QObject* parent,
                                       bool barsBeatsFlag)
    : QmlController(engine, url, parent, true)
    , eventCode_(eventCode)
    , player_(std::move(player))
    , editController_(editController)
{
    if (!player_)
        throw std::invalid_argument("An edit tool needs a player.");
    vand::core::RegisterQtMetaTypes();
    const UInt32 startTick = player_->GetCurrentStartTickIndex();
    song_ = player_->GetCurrentSongNumber();
    {
        const TL::TimelineSequence<TL::BarsBeats> sequence = player_->GetBarsBeats(song_, barsBeatsFlag);
        barList_ = std::make_unique<BarListModel>(this, &sequence, startTick);
    }
    ConnectView(SIGNAL(inBarChanged()), SLOT(inBarBeatChanged_()));
    ConnectView(SIGNAL(inBeatChanged()), SLOT(inBarBeatChanged_()));
}

EditToolController::~EditToolController()
{
    // The dialog goes later (deferred); nothing of it reaches this tool again,
    // and its bar pickers let go of the bar list first.
    if (rootObject_) {
        disconnect(rootObject_, nullptr, this, nullptr);
        if (QObject* panel = Find("barAndBeatPanel"))
            disconnect(panel, nullptr, this, nullptr);
        for (const char* picker : {"inBarInput", "outBarInput"})
            SetViewProperty(Find(picker), "model", QVariant());
    }
    barList_.reset();
    player_.reset();
}

QUrl EditToolController::ToolUrl(const char* fileName)
{
    return QUrl(QStringLiteral("qrc:/qt/qml/com/tarnwick/musical_ui/qml/") + QLatin1String(fileName));
}

QObject* EditToolController::Find(const char* objectName) const
{
    return rootObject_ ? rootObject_->findChild<QObject*>(QString::fromLatin1(objectName)) : nullptr;
}

QString EditToolController::ShownText(const char* picker) const
{
    QObject* item = Find(picker);
    if (!item)
        return {};
    const int index = item->property("currentIndex").toInt();
    const QVariant model = item->property("model");
    if (model.value<QObject*>() == barList_.get()) {
        const QStringList& labels = barList_->GetBarLabels();
        return index >= 0 && index < labels.size() ? labels.at(index) : QString();
    }
    const QVariantList list = model.toList();
    return index >= 0 && index < list.size() ? list.at(index).toString() : QString();
}

void EditToolController::ConnectView(const char* signal, const char* slot, const char* child)
{
    QObject* sender = child ? Find(child) : rootObject_.data();
    if (!sender)
        return;
    if (!connect(sender, signal, this, slot))
        kit::Log(kit::LogLevel::Error, "edittools",
                 std::string("The edit tool's dialog cannot connect ") + (signal + 1) + " to " + (slot + 1) + ".");
}

void EditToolController::ConnectPanel(bool ranged)
{
    ConnectView(SIGNAL(inBeatInputUpdateRequest(QVariant)), SLOT(onInBeatInputUpdateRequest(QVariant)),
                "barAndBeatPanel");
    if (ranged)
        ConnectView(SIGNAL(outBeatInputUpdateRequest(QVariant)), SLOT(onOutBeatInputUpdateRequest(QVariant)),
                    "barAndBeatPanel");
}

void EditToolController::UpdateShiftLimits() {}

// --- pickers -----------------------------------------------------------------

int EditToolController::FindBarRow(const TL::BarsBeats& position) const
{
    return static_cast<int>(barList_->GetBarLabels().indexOf(QString::fromStdString(position.bar_number())));
}

QVariantList EditToolController::BeatList(int row) const
{
    QVariantList list;
    for (uint beat : BeatsOf(*barList_, row))
        list.append(beat);
    return list;
}

void EditToolController::SetBarInputs(const TL::BarsBeats& in, const TL::BarsBeats& out)
{
    QObject* inPicker = Find("inBarInput");
    QObject* outPicker = Find("outBarInput");
    const QVariant model = QVariant::fromValue(static_cast<QObject*>(barList_.get()));
    SetViewProperty(inPicker, "model", model);
    SetViewProperty(outPicker, "model", model);
    SetViewProperty(inPicker, "currentIndex", std::max(FindBarRow(in), 0));
    SetViewProperty(outPicker, "currentIndex", std::max(FindBarRow(out), 0));
}

void EditToolController::SetBeatInputs(const TL::BarsBeats& in, const TL::BarsBeats& out)
{
    QObject* inPicker = Find("inBeatInput");
    QObject* outPicker = Find("outBeatInput");
    const int i = FindBarRow(in);
    const int o = FindBarRow(out);
    if (i < 0) {
        SetViewProperty(inPicker, "model", BeatList(0));
        SetViewProperty(inPicker, "currentIndex", 0);
        SetViewProperty(outPicker, "model", BeatList(0));
        SetViewProperty(outPicker, "currentIndex", 0);
    } else if (i == 0) {
        // The first row may be an incomplete bar: its beats are searched.
        const QList<uint> first = BeatsOf(*barList_, 0);
        SetViewProperty(inPicker, "model", BeatList(0));
        SetViewProperty(outPicker, "model", BeatList(o > 0 ? o : 0));
        SetViewProperty(inPicker, "currentIndex", LastPosition(first, static_cast<uint>(in.beat)));
        SetViewProperty(outPicker, "currentIndex",
                        o > 0 ? IndexOfBeat(out.beat) : LastPosition(first, static_cast<uint>(out.beat)));
    } else if (o < i) {
        SetViewProperty(inPicker, "model", BeatList(i));
        SetViewProperty(inPicker, "currentIndex", IndexOfBeat(in.beat));
        if (inPicker) {
            SetViewProperty(outPicker, "model", inPicker->property("model"));
            SetViewProperty(outPicker, "currentIndex", inPicker->property("currentIndex"));
        }
    } else {
        SetViewProperty(inPicker, "model", BeatList(i));
        SetViewProperty(inPicker, "currentIndex", IndexOfBeat(in.beat));
        SetViewProperty(outPicker, "model", BeatList(o));
        SetViewProperty(outPicker, "currentIndex", IndexOfBeat(out.beat));
    }
}

void EditToolController::FillBeatInput(int row, int picker)
{
    const char* name = picker == 0 ? "inBeatInput" : picker == 1 ? "outBeatInput" : nullptr;
    if (name)
        SetViewProperty(Find(name), "model", BeatList(row));
}

void EditToolController::onInBeatInputUpdateRequest(QVariant index)
{
    FillBeatInput(index.toInt(), 0);
}

void EditToolController::onOutBeatInputUpdateRequest(QVariant index)
{
    FillBeatInput(index.toInt(), 1);
}

EditToolController::Pick EditToolController::PickedInPosition(InPosition& position) const
{
    QObject* barPicker = Find("inBarInput");
    QObject* beatPicker = Find("inBeatInput");
    if (!barPicker || !beatPicker)
        return Pick::NoBar;
    const int row = barPicker->property("currentIndex").toInt();
    const int index = beatPicker->property("currentIndex").toInt();
    if (row < 0 || index < 0 || row >= barList_->rowCount())
        return Pick::NoBar;
    const QList<uint> beats = BeatsOf(*barList_, row);
    if (index >= beats.size())
        return Pick::NoBeat;
    position.bar = barList_->GetBarLabels().at(row);
    position.beat = beats.at(index);
    position.tick = TickOf(position.bar, static_cast<int>(position.beat));
    return Pick::Found;
}

void EditToolController::inBarBeatChanged_()
{
    try {
        if (ShownText("inBarInput").isEmpty())
            return;
        InPosition position;
        if (PickedInPosition(position) != Pick::Found)
            return;
        if (!rootObject_->property("isEdit").toBool()) {
            if (CL::Editor* editor = player_->GetChangeLogEditor()) {
                SetViewProperty(rootObject_, "eventId",
                                QString::fromStdString(editor->GetSuggestedEventIdAtTick(position.tick, eventCode_)));
            }
        }
        UpdateShiftLimits();
    } catch (const std::exception& e) {
        std::cout << "Error: " << e.what() << std::endl;
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "edittools", "Error: unknown failure");
    }
}

// --- values --------------------------------------------------------------------

void EditToolController::SetIntValue(unsigned value)
{
    SetViewProperty(rootObject_, "intValue", static_cast<int>(value));
    SetViewProperty(rootObject_, "value", static_cast<int>(value));
}

void EditToolController::SetStringValue(const std::string& value)
{
    SetViewProperty(rootObject_, "strValue", QString::fromStdString(value));
}

UInt32 EditToolController::ShiftAfterPreStart(UInt32 minStartTick) const
{
    const UInt32 preStart = barList_->GetPreStartTick();
    return minStartTick > preStart ? minStartTick - preStart : 0;
}

void EditToolController::SetShiftMinimum(UInt32 minStartTick)
{
    const int row = static_cast<int>(barList_->GetBarLabels().indexOf(barList_->GetPreStartBarLabel()));
    const bool hasPreStart = row >= 0 && BeatsOf(*barList_, row).contains(barList_->GetPreStartBeat());
    SetViewProperty(rootObject_, "inShiftMin", hasPreStart ? ShiftAfterPreStart(minStartTick) : 0u);
}

void EditToolController::WriteShiftLimits(bool resetShiftFirst)
{
    if (resetShiftFirst)
        SetViewProperty(rootObject_, "inShift", 0);
    InPosition position;
    const Pick pick = PickedInPosition(position);
    if (pick == Pick::NoBar) {
        SetViewProperty(rootObject_, "inShiftEnabled", false);
        return;
    }
    if (pick == Pick::NoBeat)
        return;
    const UInt32 available = player_->GetAvailableShiftAfterBarBeat(position.tick, true);
    SetViewProperty(rootObject_, "inShiftMax", available);
    SetViewProperty(rootObject_, "inShiftEnabled", available != 0);
    // On the pre-start beat a new event may not start before the minimum
    // start tick; the shift stays within what the slider offers.
    UInt32 shift = 0;
    if (position.bar == barList_->GetPreStartBarLabel() && position.beat == barList_->GetPreStartBeat())
        shift = std::min(ShiftAfterPreStart(minStartTick_), available);
    SetViewProperty(rootObject_, "inShiftMin", shift);
    SetViewProperty(rootObject_, "inShift", shift);
}

UInt32 EditToolController::TickOf(const QString& bar, int beat) const
{
    return barList_->getTime(bar.toStdString(), beat).toUInt();
}

UInt32 EditToolController::ShiftedTick(UInt32 tick, double shift)
{
    const double sum = static_cast<double>(tick) + (std::isfinite(shift) ? shift : 0.0);
    return static_cast<UInt32>(std::clamp(std::trunc(sum), 0.0, static_cast<double>(UINT32_MAX)));
}

QString EditToolController::EventIdText() const
{
    return rootObject_ ? rootObject_->property("eventId").toString() : QString();
}

// --- submissions -------------------------------------------------------------------

template <typename Call>
bool EditToolController::Submit(const char* text, Call&& call)
{
    EditController* edit = editController_.data();
    if (!edit)
        return false;
    try {
        call(*edit);
        return true;
    } catch (const std::exception& e) {
        qDebug() << text << e.what();
        emit error(e.what(), kEditFailedTitle);
        return false;
    }
}

bool EditToolController::AddEvent(const cmn::VandEvent& event)
{
    return Submit("Error adding event:", [&](EditController& edit) { edit.onVandMakeEvent(event); });
}

bool EditToolController::EditEventStartEndValues(const cmn::VandEvent& event, const unsigned& start,
                                                 const unsigned& end)
{
    return Submit("Error editing event:",
                  [&](EditController& edit) { edit.onVandEditEventStartEndValues(event, start, end); });
}

bool EditToolController::EditEventStringValue(const cmn::VandEvent& event, const std::string& value)
{
    return Submit("Error editing event:",
                  [&](EditController& edit) { edit.onVandEditEventStringValues(event, value); });
}

bool EditToolController::EditEventIntValue(const cmn::VandEvent& event, const int& value)
{
    return Submit("Error editing event:", [&](EditController& edit) { edit.onVandEditEventIntValues(event, value); });
}

bool EditToolController::EditEventFloatValue(const cmn::VandEvent& event, const float& value)
{
    return Submit("Error editing event:", [&](EditController& edit) { edit.onVandEditEventFloatValues(event, value); });
}

bool EditToolController::EditEventSFXPropertyValues(const cmn::VandEvent& event, const CL::SfxProperties& properties)
{
    return Submit("Error editing event: ",
                  [&](EditController& edit) { edit.EditEventSFXPropertyValues(event, properties); });
}

bool EditToolController::EditEventOscPropertyValues(const cmn::VandEvent& event, const CL::OscProperties& properties)
{
    return Submit("Error editing event: ",
                  [&](EditController& edit) { edit.EditEventOscPropertyValues(event, properties); });
}

bool EditToolController::SongUnchanged()
{
    bool same = player_->GetCurrentSongNumber() == song_;
    if (same) {
        if (const CL::Editor* editor = player_->GetChangeLogEditor())
            same = editor->GetSelectedSong() == song_;
    }
    if (!same)
        emit error(kSongChangedText, kEditFailedTitle);
    return same;
}

void EditToolController::Guard(const std::function<void()>& request)
{
    ReportFailure(this, kEditFailedTitle, request);
}

// --- the family of ranged tools ---------------------------------------------------

void EditToolController::OpenRange(const TL::BarsBeats& start, const TL::BarsBeats& end)
{
    if (!rootObject_)
        return;
    SetBarInputs(start, end);
    SetBeatInputs(start, end);
    SetViewProperty(rootObject_, "visible", true);
}

bool EditToolController::BeginRangeEdit(const cmn::VandEvent& event, bool clickGrid)
{
    if (!rootObject_)
        return false;
    SetViewProperty(rootObject_, "isEdit", true);
    const auto position = [&](UInt32 tick) {
        return clickGrid ? player_->GetBarBeatByTick(tick, false, true) : player_->GetBarBeatByTick(tick);
    };
    const TL::BarsBeats start = position(event.start());
    const TL::BarsBeats end = position(event.end());
    SetBarInputs(start, end);
    SetBeatInputs(start, end);
    return true;
}

void EditToolController::OpenNumberEdit(const cmn::VandEvent& event, int number, bool infiniteAtZero)
{
    if (!BeginRangeEdit(event))
        return;
    SetIntValue(static_cast<unsigned>(number));
    if (infiniteAtZero)
        SetViewProperty(rootObject_, "value", number == 0 ? QStringLiteral("\u221E") : QString::number(number));
    FinishEdit(event);
}

void EditToolController::FinishEdit(const cmn::VandEvent& event)
{
    SetViewProperty(rootObject_, "eventId", QString::fromStdString(event.EventId()));
    SetViewProperty(rootObject_, "visible", true);
    editedEvent_ = CL::CopyVandEvent(event);
}

EditToolController::Range EditToolController::RangeTicks(const QString& startBar, int startBeat, const QString& endBar,
                                                         int endBeat) const
{
    Range range{TickOf(startBar, startBeat), TickOf(endBar, endBeat)};
    range.start = std::max(range.start, player_->GetCurrentStartTickIndex());
    return range;
}

void EditToolController::ChangeRange(const QString& startBar, int startBeat, const QString& endBar, int endBeat,
                                     const std::function<void(const cmn::VandEvent&)>& changeValue)
{
    Guard([&] {
        if (!editedEvent_ || !SongUnchanged())
            return;
        const Range range = RangeTicks(startBar, startBeat, endBar, endBeat);
        EditEventStartEndValues(*editedEvent_, range.start, range.end);
        if (changeValue)
            changeValue(*editedEvent_);
        emit valuesUpdated();
    });
}

} // namespace vand::qt
