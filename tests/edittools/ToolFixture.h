#pragma once

// The edit tools on the small demo show with one more song, the Prelude,
// whose explicit beats put its start tick (1700) between two beats of its
// first bar: the beat at 1500 is the pre-start entry. Its bars:
//   "1": beats 1-4 at 1000, 1500, 2000, 2500   (rows from 1500 on: 2, 3, 4)
//   "2": beats 1-4 at 3000, 3500, 4000, 4001   (nothing fits after 4000)
//   "3": beats 1-4 at 4500, 5000, 5500, 6000
//   "4": beats 1-4 at 6500, 7000, 7500, 8000
// The engine, the edit controller and its views are the edit-mode fixture's;
// tools are made as the main controller makes them, and their dialogs are
// driven through the properties and signals their controllers use.

#include <QMetaObject>
#include <QObject>
#include <QQuickWindow>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <string>
#include <vector>

#include "../edit/EditFixture.h"
#include "DemoShow.h"
#include "TL/BarsBeats.h"
#include "edittools/EditToolController.h"

namespace tool_test {

namespace fs = std::filesystem;

inline constexpr const char* kPrelude = "6";
inline constexpr UInt32 kPreludeStart = 1700;
inline constexpr UInt32 kPreludePreStart = 1500;

inline void AddPrelude(const fs::path& show)
{
    vand::player::ShowDefinition definition = vand::demo::DemoShowDefinition();
    vand::player::SongDefinition prelude;
    prelude.number = kPrelude;
    prelude.name = "Prelude";
    prelude.audio = "audio/06-prelude.ogg";
    prelude.startTick = kPreludeStart;
    std::vector<vand::player::ExplicitBeat> beats;
    const std::vector<std::vector<UInt32>> bars{
        {1000, 1500, 2000, 2500}, {3000, 3500, 4000, 4001}, {4500, 5000, 5500, 6000}, {6500, 7000, 7500, 8000}};
    for (std::size_t bar = 0; bar < bars.size(); ++bar) {
        for (std::size_t beat = 0; beat < bars[bar].size(); ++beat)
            beats.push_back({bars[bar][beat], std::to_string(bar + 1), static_cast<int>(beat + 1)});
    }
    prelude.beats = beats;
    definition.songs.push_back(prelude);
    vand::demo::AudioStyle style;
    style.format = vand::demo::AudioStyle::Format::Wav;
    style.sampleRate = 8000;
    style.channels = 1;
    style.silent = true;
    vand::demo::WriteShowFolder(show, definition, style);
}

// A position as the player gives it.
inline TL::BarsBeats Position(int bar, int beat, UInt32 tick = 0)
{
    TL::BarsBeats position;
    position.tick = tick;
    position.SetBarLabel(bar, "");
    position.beat = beat;
    return position;
}

// A tool's dialog as its controller sees it.
class Dialog
{
public:
    explicit Dialog(QObject* root)
        : root_(root)
    {
    }

    QObject* Root() const { return root_; }
    QQuickWindow* Window() const { return qobject_cast<QQuickWindow*>(root_); }
    QObject* Child(const char* name) const { return root_->findChild<QObject*>(QString::fromLatin1(name)); }
    QVariant Get(const char* property) const { return root_->property(property); }
    void Set(const char* property, const QVariant& value) const { root_->setProperty(property, value); }
    int Index(const char* picker) const { return Child(picker)->property("currentIndex").toInt(); }
    QString Text(const char* picker) const { return Child(picker)->property("displayText").toString(); }
    // A picker's choice, as a click on a row makes it.
    void Pick(const char* picker, int index) const { Child(picker)->setProperty("currentIndex", index); }
    // Picks a bar row, then a beat index, in or out.
    void PickPosition(bool in, int barRow, int beatIndex) const
    {
        Pick(in ? "inBarInput" : "outBarInput", barRow);
        Pick(in ? "inBeatInput" : "outBeatInput", beatIndex);
    }
    // "<bar row>:<beats of the beat picker>@<beat index>" for in or out.
    QString Describe(bool in) const
    {
        QStringList beats;
        for (const QVariant& beat : Child(in ? "inBeatInput" : "outBeatInput")->property("model").toList())
            beats << beat.toString();
        return QStringLiteral("%1:%2@%3")
            .arg(Index(in ? "inBarInput" : "outBarInput"))
            .arg(beats.join(','))
            .arg(Index(in ? "inBeatInput" : "outBeatInput"));
    }
    void Ok() const { QMetaObject::invokeMethod(Child("buttonRow"), "okayClicked"); }
    void Cancel() const { QMetaObject::invokeMethod(Child("buttonRow"), "cancelClicked"); }
    // Types a number into a count dialog's spin box.
    void TypeCount(const QString& text) const { Set("value", text); }

private:
    QObject* root_;
};

// The change-log event of the current song with this id, as text:
// "<code> <start> <end> <id> <value>"; empty when there is none.
inline QString DescribeEvent(const CL::Editor& editor, const std::string& id)
{
    const auto events = editor.GetEventsByEventId();
    const auto found = events.find(id);
    if (found == events.end())
        return {};
    const cmn::VandEvent& event = *found->second;
    QString value;
    switch (event.code()) {
    case 'D':
        value = QString::number(event.float_value());
        break;
    case 'E':
        value = QString::fromStdString(event.value());
        break;
    case 'S':
        value = QString::fromStdString(event.osc_properties().Message() + "@" + event.osc_properties().NetworkId());
        break;
    case 'B':
    case 'M':
    case 'N':
        value = QStringLiteral("-");
        break;
    default:
        value = QString::number(event.int_value());
        break;
    }
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(QChar(event.code()))
        .arg(event.start())
        .arg(event.end())
        .arg(QString::fromStdString(event.EventId()))
        .arg(value);
}

} // namespace tool_test
