#include "showcontrol/QLabFileWriter.h"

#include <rapidjson/ostreamwrapper.h>
#include <rapidjson/prettywriter.h>

#include <stdexcept>

#include "vand_player_core/Interface.h"

namespace vand {

namespace {

constexpr const char* kFileStem = "qlab_network_patch_definition";
constexpr const char* kFileExtension = ".qlabnetwork";
// One below the default OSC listen port (55037).
constexpr int kDefaultPort = 55036;
constexpr int kStringWidth = 125;

struct MenuEntry
{
    const char* label;
    const char* value;
};

struct Parameter
{
    const char* key;
    const char* type;
    const char* label; // empty: no "displayName"
    bool hidden;
    std::string defaultValue;
    std::vector<MenuEntry> entries;
    bool fadeable;
};

struct Condition
{
    const char* predicate;
    const char* templateText;
    bool hasParameters;
    std::vector<Parameter> parameters;
    std::vector<Condition> conditions;
};

using Writer = rapidjson::PrettyWriter<rapidjson::OStreamWrapper>;

void WriteParameter(Writer& w, const Parameter& p)
{
    const std::string type = p.type;
    w.StartObject();
    w.Key("key");
    w.String(p.key);
    w.Key("type");
    w.String(p.type);
    if (*p.label) {
        w.Key("displayName");
        w.String(p.label);
    }
    w.Key("hidden");
    w.Bool(p.hidden);
    w.Key("defaultValue");
    w.String(p.defaultValue.c_str(), static_cast<rapidjson::SizeType>(p.defaultValue.size()));
    if (type == "string") {
        w.Key("width");
        w.Int(kStringWidth);
    }
    if (!p.entries.empty()) {
        w.Key("values");
        w.StartArray();
        for (const MenuEntry& entry : p.entries) {
            w.StartObject();
            w.Key(entry.label);
            w.String(entry.value);
            w.EndObject();
        }
        w.EndArray();
    }
    w.Key("fadeable");
    w.Bool(p.fadeable);
    w.EndObject();
}

void WriteParameters(Writer& w, const std::vector<Parameter>& parameters)
{
    w.StartArray();
    for (const Parameter& p : parameters)
        WriteParameter(w, p);
    w.EndArray();
}

void WriteCondition(Writer& w, const Condition& c)
{
    w.StartObject();
    w.Key("predicate");
    w.String(c.predicate);
    w.Key("template");
    w.String(c.templateText);
    if (c.hasParameters) {
        w.Key("parameters");
        WriteParameters(w, c.parameters);
    }
    if (!c.conditions.empty()) {
        w.Key("conditions");
        w.StartArray();
        for (const Condition& nested : c.conditions)
            WriteCondition(w, nested);
        w.EndArray();
    }
    w.EndObject();
}

Parameter Scalar(const char* key, const char* label, const char* defaultValue, bool fadeable = false)
{
    return {key, "scalar", label, false, defaultValue, {}, fadeable};
}

Parameter Text(const char* key, const char* label, std::string defaultValue)
{
    return {key, "string", label, false, std::move(defaultValue), {}, false};
}

Parameter Menu(const char* key, const char* label, const char* defaultValue, std::vector<MenuEntry> entries,
               bool hidden = false)
{
    return {key, "menu", label, hidden, defaultValue, std::move(entries), false};
}

// The commands of the OSC command language, as QLab's condition tree.
std::vector<Condition> Conditions(const std::string& firstSong)
{
    const Parameter db = Scalar("dbvalue", "Target Volume (dB)", "-6.0");
    const Parameter time = Scalar("timevalue", "Fade Time (sec)", "1.0");
    return {
        {"message == 'song'",
         "{prefix}/{action}",
         true,
         {Menu("action", "Action", "play",
               {{"Play", "play"}, {"Fade Out", "fadeout"}, {"Fade To", "fadeto"}, {"Volume", "volume"}})},
         {
             {"action == 'play'",
              "{prefix}/song/{songnumber}/{action}",
              true,
              {Text("songnumber", "Song Number", firstSong)},
              {}},
             {"action == 'fadeout'",
              "{prefix}/{action} {timevalue}",
              true,
              {Text("timevalue", "Fade Time (sec)", "3.0")},
              {}},
             {"action == 'fadeto'", "{prefix}/{action} {dbvalue} {timevalue}", true, {db, time}, {}},
             {"action == 'volume'",
              "{prefix}/volume {dbvalue}",
              true,
              {Scalar("dbvalue", "Target Volume (dB)", "-6.0", true)},
              {}},
         }},
        {"message == 'event'",
         "{prefix}/{message}/{eventid}/{eventaction}",
         true,
         {Text("eventid", "Target Event ID", ""), Menu("eventaction", "Action", "go", {{"Go", "go"}}, true)},
         {}},
        {"message == 'sfx'",
         "{prefix}/{message}/{sfxid}/{sfxaction}",
         true,
         {Text("sfxid", "Target Sfx ID", ""),
          Menu("sfxaction", "Action", "play",
               {{"Play/Fade In", "play"}, {"Stop/Fade Out", "stop"}, {"Fade To", "fadeto"}})},
         {
             {"sfxaction == 'fadeto'", "{prefix}/{message}/{sfxid}/fadeto {dbvalue} {timevalue}", true, {db, time}, {}},
         }},
        {"message == 'general'",
         "{prefix}/{action}",
         true,
         {Menu("action", "Action", "advance",
               {{"Advance", "advance"}, {"Pause", "pause"}, {"Stop", "stop"}, {"Custom", "customcmd"}})},
         {
             {"action == 'pause'", "{prefix}/{action}", false, {}, {}},
             {"action == 'customcmd'", "{prefix}/{custommsg}", true, {Text("custommsg", "Custom Command", "")}, {}},
         }},
    };
}

} // namespace

QLabFileWriter::QLabFileWriter(std::shared_ptr<Interface> player)
    : player_(std::move(player))
{
}

std::string QLabFileWriter::GetFileName()
{
    return std::string(kFileStem) + kFileExtension;
}

void QLabFileWriter::WriteQLabNetworkPatch(std::ostream& stream)
{
    // Checked before the first byte, so a failure leaves nothing half-written.
    if (!player_)
        throw std::runtime_error("QLab File Writer has no data to write.");
    const SongNameMap songs = player_->GetSongNamesBySongNumber();
    const std::string firstSong = songs.empty() ? std::string() : songs.begin()->first;

    rapidjson::OStreamWrapper out(stream);
    Writer w(out);
    w.SetIndent(' ', 4);
    w.StartObject();
    w.Key("identifier");
    w.String(("com.tarnwick." + GetFileName()).c_str());
    w.Key("displayName");
    w.String("VAND Software");
    w.Key("api");
    w.Int(1);
    w.Key("messageType");
    w.String("OSC");

    w.Key("network");
    w.StartArray();
    w.StartObject();
    w.Key("transport");
    w.String("UDP");
    w.Key("defaultPort");
    w.Int(kDefaultPort);
    w.Key("canEditPort");
    w.Bool(true);
    w.EndObject();
    w.EndArray();

    w.Key("parameters");
    WriteParameters(w, {
                           {"prefix", "string", "", true, "/vand", {}, false},
                           Menu("message", "Message", "song",
                                {{"Song", "song"}, {"Event", "event"}, {"SFX", "sfx"}, {"General", "general"}}),
                       });

    w.Key("conditions");
    w.StartArray();
    for (const Condition& c : Conditions(firstSong))
        WriteCondition(w, c);
    w.EndArray();
    w.EndObject();
    stream.flush();
}

} // namespace vand
