// Times change-log load and save, and AddEvent / DeleteEvent / Undo on a
// large song, at a base size and at ten times that size.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "CL/ChangeLog.h"
#include "CL/Editor.h"

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int runs, const std::function<void()>& fn) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    fn();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// One song's events: regions laid end to end (each kind in its own stretch)
// and markers, caesuras and OSC commands between them.
void FillSong(CL::SongLog& log, int events) {
  UInt32 t = 1000;
  for (int i = 0; i < events; ++i) {
    const std::string n = std::to_string(i);
    switch (i % 10) {
      case 0: log.Add(CL::Vamp(t, t + 400, "V" + n, 2)); break;
      case 1: log.Add(CL::Repeat(t, t + 400, "A" + n, 2)); break;
      case 2: log.Add(CL::Cut(t, t + 400, "B" + n, 0)); break;
      case 3: log.Add(CL::Transpose(t, t + 400, "C" + n, 1)); break;
      case 4: log.Add(CL::TempoScale(t, t + 400, "D" + n, 1.1)); break;
      case 5: log.Add(CL::Click(t, t + 400, "L" + n, 8)); break;
      case 6: log.Add(CL::Fermata(t, t + 400, "M" + n, 0)); break;
      case 7: log.Add(CL::Marker(t, "Marker " + n, "E" + n)); break;
      case 8: log.Add(CL::Caesura(t, "N" + n, 0)); break;
      default: log.Add(CL::Osc(t, "S" + n, CL::OscProperties("/cue/" + n + "/go", "NETWORK0"))); break;
    }
    t += 480;
  }
}

CL::ChangeLog MakeLog(int songs, int eventsPerSong) {
  CL::ChangeLog log;
  log.SetShowIdentifier("demo");
  log.SetVersion(cmn::VANDVersion(3, 1));
  log.SetNetworks({CL::NetworkPath("NETWORK0", "QLab", "127.0.0.1", 53000)});
  for (int s = 1; s <= songs; ++s) FillSong(log.GetOrCreateSongLog(std::to_string(s)), eventsPerSong);
  return log;
}

void BenchFile(const std::filesystem::path& folder, int songs, int events) {
  const CL::ChangeLog log = MakeLog(songs, events);
  const std::filesystem::path file = folder / ("Bench-" + std::to_string(songs) + ".logdata");
  const double save = MedianMs(9, [&] { log.SaveToFile(file); });
  const double load = MedianMs(9, [&] { CL::ChangeLog read(file, {}); });
  std::printf("  %4d songs x %4d events (%7zu bytes): load %7.2f ms, save %7.2f ms, load+save %7.2f ms\n", songs,
              events, static_cast<std::size_t>(std::filesystem::file_size(file)), load, save, load + save);
}

struct Bounds : CL::SongInfoProvider {
  bool HasSong(const std::string&) const override { return true; }
  UInt32 GetSongStartTick(const std::string&) const override { return 0; }
  UInt32 GetSongLengthTicks(const std::string&) const override { return 0xFFFFFFF0u; }
  TL::BarsBeats GetBarBeatAtOrBefore(const std::string&, UInt32 tick) const override {
    TL::BarsBeats b{};
    b.tick = tick - tick % 480;
    b.SetBarLabel(static_cast<Int32>(tick / 1920) + 1, "");
    b.beat = static_cast<Int32>((tick / 480) % 4) + 1;
    return b;
  }
  std::vector<int> GetAllowedClickValues(const std::string&, UInt32, UInt32) const override { return {4, 8, 16}; }
};

void BenchEditor(int events) {
  CL::ChangeLog log;
  FillSong(log.GetOrCreateSongLog("1"), events);
  Bounds bounds;
  CL::Editor editor(std::move(log));
  editor.SetSongInfoProvider(&bounds);
  editor.SelectSongLogForEditing("1");
  const UInt32 end = 1000 + static_cast<UInt32>(events) * 480;
  constexpr int kOps = 200;
  // Each round adds a region past the end, then deletes it again.
  auto region = [end](int i) { return CL::Vamp(end + i * 1000, end + i * 1000 + 500, "", 1); };
  auto marker = [end](int i) { return CL::Marker(end + i * 1000, "m", ""); };
  const double addRegion = MedianMs(kOps, [&, i = 0]() mutable { editor.AddEvent(region(i++)); });
  const double deleteRegion = MedianMs(kOps, [&, i = 0]() mutable {
    const cmn::VandEvent& last = editor.GetSelectedSongLog()->GetVamps().back();
    editor.DeleteEvent(*CL::CopyVandEvent(last));
    ++i;
  });
  const double undoDelete = MedianMs(kOps, [&] { editor.Undo(); });
  const double addMarker = MedianMs(kOps, [&, i = 0]() mutable { editor.AddEvent(marker(kOps + i++)); });
  const double moveMarker = MedianMs(kOps, [&, i = 0]() mutable {
    const cmn::VandEvent& m = editor.GetSelectedSongLog()->GetMarkers()[static_cast<std::size_t>(i % 50)];
    editor.EditEventStartEndValues(m, m.start() + 1, m.start() + 1, false, false);
    ++i;
  });
  std::printf(
      "  %6d events: AddEvent(vamp) %.4f ms, DeleteEvent %.4f ms, Undo %.4f ms, AddEvent(marker) %.4f ms, "
      "move %.4f ms\n",
      events, addRegion, deleteRegion, undoDelete, addMarker, moveMarker);
}

}  // namespace

int main() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vand_bench_changelog";
  std::filesystem::create_directories(folder);
  std::printf("Change-log file (median of 9):\n");
  BenchFile(folder, 40, 150);
  BenchFile(folder, 400, 150);
  BenchFile(folder, 40, 1500);
  std::printf("Editor on one song (median of 200 operations):\n");
  BenchEditor(2000);
  BenchEditor(20000);
  std::filesystem::remove_all(folder);
  return 0;
}
