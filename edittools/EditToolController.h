#pragma once

// Base of the edit-event tools: the controller behind one modal dialog that
// creates or changes one change-log event. It builds the dialog (and owns
// it), builds the current song's bar list, from which the dialog's bar and
// beat pickers are filled and through which a bar and beat become a tick,
// proposes the id of a new event whenever the in position changes, and hands
// records and changes on to the edit controller.
//
// A tool belongs to the song that was current when it was made: a request
// made after the song changed submits nothing and is reported. The event a
// tool opened on is kept as a copy; the change-log editor finds events by
// code and id, so the copy stays good while the lists refresh.
//
// Failures reach the user through `error` with the title "Edit Failed"; no
// exception leaves a slot.
//
// Threads: GUI thread only.

#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <string>

#include "CL/Properties.h"
#include "TL/BarsBeats.h"
#include "cmn/Types.h"
#include "edittools/BarListModel.h"
#include "ui/QmlController.h"

class Interface;
class QQmlEngine;

namespace cmn {
class VandEvent;
}

namespace vand::qt {

class EditController;

class EditToolController : public QmlController
{
    Q_OBJECT
public:
    // Builds the dialog from url (hidden, with parent as its parent and
    // transient parent) and the bar list of the current song; barsBeatsFlag
    // goes to Interface::GetBarsBeats. Throws what the player throws.
    EditToolController(QQmlEngine* engine, const QUrl& url, EditController* editController,
                       std::shared_ptr<Interface> player, unsigned char eventCode, QObject* parent, bool barsBeatsFlag);
    ~EditToolController() override;

    // Connects the dialog's requests and closing signal; called once, after
    // the tool's opening slot.
    virtual void ConnectSignals() = 0;
    // Refreshes the microshift slider for the in position; nothing here.
    virtual void UpdateShiftLimits();

    // Each hands its arguments to the edit controller. False without an edit
    // controller, and when the edit controller throws (then also `error`).
    virtual bool AddEvent(const cmn::VandEvent& event);
    virtual bool EditEventStartEndValues(const cmn::VandEvent& event, const unsigned& start, const unsigned& end);
    virtual bool EditEventStringValue(const cmn::VandEvent& event, const std::string& value);
    virtual bool EditEventIntValue(const cmn::VandEvent& event, const int& value);
    virtual bool EditEventFloatValue(const cmn::VandEvent& event, const float& value);
    virtual bool EditEventSFXPropertyValues(const cmn::VandEvent& event, const CL::SfxProperties& properties);
    virtual bool EditEventOscPropertyValues(const cmn::VandEvent& event, const CL::OscProperties& properties);

    BarListModel* GetBarList() const { return barList_.get(); }
    // The copy of the event the tool opened on; null for a new event.
    const cmn::VandEvent* GetEditedEvent() const { return editedEvent_.get(); }
    UInt32 GetMinStartTick() const { return minStartTick_; }
    const std::string& GetSong() const { return song_; }

    // What a request made after the song changed reports.
    static const char* const kSongChangedText;

signals:
    void valuesUpdated();

public slots:
    void onInBeatInputUpdateRequest(QVariant index);
    void onOutBeatInputUpdateRequest(QVariant index);
    void inBarBeatChanged_();

protected:
    // The URL of a dialog of the application's view module.
    static QUrl ToolUrl(const char* fileName);

    // The bar and beat picked in the in pickers.
    struct InPosition
    {
        QString bar;
        uint beat = 0;
        UInt32 tick = 0;
    };
    enum class Pick {
        NoBar,  // no valid row or beat index
        NoBeat, // the beat index lies past the row's beats
        Found,
    };
    Pick PickedInPosition(InPosition& position) const;

    // The first row holding the position's bar label; -1 when none.
    int FindBarRow(const TL::BarsBeats& position) const;
    void SetBarInputs(const TL::BarsBeats& in, const TL::BarsBeats& out);
    void SetBarInputs(const TL::BarsBeats& position) { SetBarInputs(position, position); }
    void SetBeatInputs(const TL::BarsBeats& in, const TL::BarsBeats& out);
    void SetBeatInputs(const TL::BarsBeats& position) { SetBeatInputs(position, position); }
    // Picker 0 is "inBeatInput", 1 "outBeatInput".
    void FillBeatInput(int row, int picker);
    void SetIntValue(unsigned value);
    void SetStringValue(const std::string& value);
    // "inShiftMin": what the minimum start tick lies after the pre-start
    // entry, when the model has one; else 0.
    void SetShiftMinimum(UInt32 minStartTick);
    // How far minStartTick lies after the pre-start tick; 0 when it does not.
    UInt32 ShiftAfterPreStart(UInt32 minStartTick) const;
    // The microshift limits of the caesura and OSC tools for the in position.
    void WriteShiftLimits(bool resetShiftFirst);

    // The text a picker shows for its current index. Read from its model:
    // while a picker reports a new index, its displayText is still the old.
    QString ShownText(const char* picker) const;
    // A dialog child by object name; null without one.
    QObject* Find(const char* objectName) const;
    // Connects a signal of the dialog (or of its child `child`) to a slot of
    // this tool by signature strings; a failure is logged.
    void ConnectView(const char* signal, const char* slot, const char* child = nullptr);
    // The in-beat (and for a range the out-beat) request of the panel.
    void ConnectPanel(bool ranged);

    // The tick of a bar label and beat number; 0 for a bar the list lacks.
    UInt32 TickOf(const QString& bar, int beat) const;
    // tick + shift, the fraction dropped; a shift that is not a number counts
    // as 0, and the sum stays within the tick range.
    static UInt32 ShiftedTick(UInt32 tick, double shift);
    QString EventIdText() const;
    // True while the tool's song is the current one; otherwise reports
    // "Edit Failed" and returns false.
    bool SongUnchanged();
    // Runs a request; whatever it throws is reported as "Edit Failed".
    void Guard(const std::function<void()>& request);

    // The opening of a ranged tool for a new range: pickers, then visible.
    void OpenRange(const TL::BarsBeats& start, const TL::BarsBeats& end);
    // The first half of opening on an existing ranged event: edit mode, then
    // the pickers at the event's start and end (the click grid's entries at
    // or before them when clickGrid). False without a dialog.
    bool BeginRangeEdit(const cmn::VandEvent& event, bool clickGrid = false);
    // The last half of every edit opening: the event's id, visible, the copy.
    void FinishEdit(const cmn::VandEvent& event);
    // The opening of a count tool on an existing event: the range, then the
    // number (shown as the infinity sign when it is 0 and infiniteAtZero).
    void OpenNumberEdit(const cmn::VandEvent& event, int number, bool infiniteAtZero = false);

    struct Range
    {
        UInt32 start = 0;
        UInt32 end = 0;
    };
    // The request's ticks; the start raised to the song's current start tick.
    Range RangeTicks(const QString& startBar, int startBeat, const QString& endBar, int endBeat) const;
    // A new ranged record from the request: Record(start, end, id, value).
    template <typename Record, typename Value>
    void CreateRange(const QString& startBar, int startBeat, const QString& endBar, int endBeat, Value value)
    {
        Guard([&] {
            if (!SongUnchanged())
                return;
            const Range range = RangeTicks(startBar, startBeat, endBar, endBeat);
            AddEvent(Record(range.start, range.end, EventIdText().toStdString(), value));
        });
    }
    // Moves the edited event to the request's range, then changes its value
    // (when given), whatever the move gave; then valuesUpdated().
    void ChangeRange(const QString& startBar, int startBeat, const QString& endBar, int endBeat,
                     const std::function<void(const cmn::VandEvent&)>& changeValue = {});

    unsigned char eventCode_ = 0;
    std::shared_ptr<Interface> player_;
    std::unique_ptr<BarListModel> barList_;
    QPointer<EditController> editController_;
    std::shared_ptr<cmn::VandEvent> editedEvent_;
    UInt32 minStartTick_ = 0;
    std::string song_;

private:
    template <typename Call>
    bool Submit(const char* text, Call&& call);
    QVariantList BeatList(int row) const;
};

} // namespace vand::qt
