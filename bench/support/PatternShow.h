#pragma once

// The benchmarks' synthetic shows: songs of one pattern (4/4 at 120 bpm with
// a 3/4 bar every 8 bars and the tempo alternating every 32 bars) with short
// silent audio, and the frame-time figures they print.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "CL/ChangeLog.h"
#include "DemoShow.h"
#include "engine/ShowFile.h"

namespace vand::bench {

inline double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Stats
{
    double median = 0, p95 = 0, max = 0;
};

inline Stats Summarise(std::vector<double> v)
{
    Stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v[v.size() / 2];
    s.p95 = v[std::min(v.size() - 1, static_cast<std::size_t>(v.size() * 0.95))];
    s.max = v.back();
    return s;
}

inline vand::player::SongDefinition PatternSong(const std::string& number, int bars)
{
    vand::player::SongDefinition s;
    s.number = number;
    s.name = "Pattern " + number;
    s.audio = "audio/" + number + ".wav";
    s.startTick = 1000;
    s.barCount = bars;
    for (int bar = 1; bar <= bars; bar += 32)
        s.tempos.push_back({std::to_string(bar), (bar / 32) % 2 ? 132.0 : 120.0});
    for (int bar = 1; bar <= bars; bar += 8) {
        s.meters.push_back({std::to_string(bar), 4, 4});
        if (bar + 7 <= bars)
            s.meters.push_back({std::to_string(bar + 7), 3, 4});
    }
    s.keys = {{"1", -3, 0}};
    return s;
}

// About the start tick of a bar of a pattern song (a bar of 4/4 at the
// song's tempo is about 2000 ticks); edits only need to lie inside the song.
inline UInt32 PatternBarTick(int bar)
{
    return static_cast<UInt32>(1000 + (bar - 1) * 1900);
}

// Writes folder/show (the pattern songs of these numbers and bar counts, their
// audio only two bars long, and a change log 1.0 that addEdits fills) and an
// empty folder/data.
inline void WritePatternShow(const std::filesystem::path& folder, const std::vector<std::pair<std::string, int>>& songs,
                             const std::function<void(CL::ChangeLog&)>& addEdits)
{
    namespace fs = std::filesystem;
    vand::player::ShowDefinition show;
    show.identifier = "bench";
    show.showName = "Bench Show";
    for (const auto& song : songs)
        show.songs.push_back(PatternSong(song.first, 2));
    vand::demo::AudioStyle style;
    style.format = vand::demo::AudioStyle::Format::Wav;
    style.sampleRate = 8000;
    style.channels = 1;
    style.silent = true;
    style.tailMs = 0;
    vand::demo::WriteShowFolder(folder / "show", show, style);
    show.songs.clear();
    for (const auto& song : songs)
        show.songs.push_back(PatternSong(song.first, song.second));
    vand::demo::WriteShowFolder(folder / "full", show, style);
    fs::copy_file(folder / "full" / "show.json", folder / "show" / "show.json", fs::copy_options::overwrite_existing);
    fs::remove_all(folder / "full");
    CL::ChangeLog log;
    log.SetVersion(cmn::VANDVersion(1, 0));
    log.SetShowIdentifier(show.identifier);
    addEdits(log);
    log.SaveToFile(folder / "show" / CL::ChangeLog::MakeFileName(show.showName, log.GetVersion()));
    fs::create_directories(folder / "data");
}

} // namespace vand::bench
