#include "engine/ShowModel.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <tuple>

#include <sndfile.h>

namespace vand::player {

AudioHeader ReadAudioHeader(const std::filesystem::path& file) {
  SF_INFO info{};
  SNDFILE* sf = sf_open(file.c_str(), SFM_READ, &info);
  if (!sf) {
    throw std::runtime_error("cannot read the audio file " + file.string() + ": " + sf_strerror(nullptr));
  }
  sf_close(sf);
  if (info.samplerate <= 0 || info.samplerate > 768000 || info.channels <= 0 || info.channels > 64 || info.frames < 0) {
    throw std::runtime_error("the audio file " + file.string() + " has an unusable header");
  }
  return {static_cast<std::int64_t>(info.frames), info.samplerate, info.channels};
}

namespace {

// Reads the songs' headers on a few threads of their own, the caller waiting:
// opening an Ogg file sets up its decoder, which adds up over a show. A file
// that fails is left for the caller to read again alone, because the
// library's text for an open that failed is shared by every thread.
std::vector<std::optional<AudioHeader>> ReadAudioHeaders(const std::vector<std::filesystem::path>& files) {
  std::vector<std::optional<AudioHeader>> results(files.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < files.size(); i = next++) {
      try {
        results[i] = ReadAudioHeader(files[i]);
      } catch (const std::exception&) {
      }
    }
  };
  const std::size_t threads =
      std::min<std::size_t>(files.size(), std::clamp(std::thread::hardware_concurrency(), 2u, 8u));
  {
    std::vector<std::jthread> workers;
    try {
      for (std::size_t t = 0; t < threads; ++t) workers.emplace_back(work);
    } catch (const std::system_error&) {
      // No thread to spare: what is left is read below.
    }
  }
  work();
  return results;
}

std::vector<std::string> Runs(const std::string& s) {
  std::vector<std::string> runs;
  for (std::size_t i = 0; i < s.size();) {
    bool digit = std::isdigit(static_cast<unsigned char>(s[i])) != 0;
    std::size_t j = i;
    while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) != 0) == digit) ++j;
    std::string run = s.substr(i, j - i);
    if (digit) {
      std::size_t nz = run.find_first_not_of('0');
      run = nz == std::string::npos ? "0" : run.substr(nz);
      run.insert(run.begin(), '#');  // marks a number
    }
    runs.push_back(std::move(run));
    i = j;
  }
  return runs;
}

}  // namespace

bool NumericallyEqual(const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (a.empty() || b.empty()) return false;
  return Runs(a) == Runs(b);
}

TL::BarsBeats ToBarsBeats(const GridEntry& entry) {
  TL::BarsBeats b;
  b.tick = entry.tick;
  b.beat = entry.beat;
  std::size_t i = 0;
  if (i < entry.label.size() && entry.label[i] == '-') ++i;
  while (i < entry.label.size() && std::isdigit(static_cast<unsigned char>(entry.label[i]))) ++i;
  Int32 bar = 0;
  try {
    bar = static_cast<Int32>(std::stol(entry.label.substr(0, i)));
  } catch (const std::exception&) {
    bar = 0;
  }
  b.SetBarLabel(bar, entry.label.substr(i));
  return b;
}

std::optional<std::size_t> ShowModel::Find(const std::string& number) const {
  for (const auto& s : songs) {
    if (s.number == number) return s.index;
  }
  return std::nullopt;
}

std::optional<std::size_t> ShowModel::FindLoosely(const std::string& number) const {
  if (auto exact = Find(number)) return exact;
  for (const auto& s : songs) {
    if (NumericallyEqual(s.number, number)) return s.index;
  }
  return std::nullopt;
}

unsigned ShowModel::PageAt(std::size_t song, UInt32 tick) const {
  if (pagesInOrder.empty()) return 0;
  const auto at = std::make_pair(song, tick);
  auto it = std::upper_bound(pagesInOrder.begin(), pagesInOrder.end(), at,
                             [](const std::pair<std::size_t, UInt32>& p, const PagePlace& place) {
                               return p < std::make_pair(place.song, place.tick);
                             });
  return it == pagesInOrder.begin() ? pagesInOrder.front().page : (it - 1)->page;
}

const SongModel& ShowModel::SongOrThrow(const std::string& number) const {
  auto i = Find(number);
  if (!i) throw std::invalid_argument("Unknown song: " + number);
  return songs[*i];
}

std::shared_ptr<const ShowModel> BuildShowModel(const ShowDefinition& definition, const std::filesystem::path& folder) {
  auto show = std::make_shared<ShowModel>();
  show->folder = folder;
  show->identifier = definition.identifier;
  show->showName = definition.showName;
  show->sampleRate = definition.sampleRate;

  std::vector<const SongDefinition*> order;
  for (const auto& s : definition.songs) order.push_back(&s);
  std::stable_sort(order.begin(), order.end(), [](const SongDefinition* a, const SongDefinition* b) {
    return kit::NumericStringCompare{}(a->number, b->number);
  });

  std::vector<std::filesystem::path> audioFiles;
  for (const SongDefinition* def : order) audioFiles.push_back(folder / std::filesystem::path(def->audio));
  const std::vector<std::optional<AudioHeader>> headers = ReadAudioHeaders(audioFiles);

  for (std::size_t i = 0; i < order.size(); ++i) {
    const SongDefinition* def = order[i];
    SongModel song;
    song.index = show->songs.size();
    song.number = def->number;
    song.name = def->name;
    song.audioFile = audioFiles[i];
    song.startTick = def->startTick;
    song.defaultAttacca = def->defaultAttacca;
    song.audioStart = def->audioOffsetTicks;
    song.audioEnd = song.audioStart;
    try {
      const AudioHeader header = headers[i] ? *headers[i] : ReadAudioHeader(song.audioFile);
      const double durationMs = static_cast<double>(header.frames) * 1000.0 / header.sampleRate;
      const double end = std::ceil(song.audioStart + durationMs);
      if (end > kMaxShowTick) throw std::runtime_error("the audio file " + song.audioFile.string() + " is too long");
      song.audio = header;
      song.audioEnd = static_cast<UInt32>(end);
    } catch (const std::exception& e) {
      song.audioError = e.what();
    }

    SongGrid grid = BuildSongGrid(*def);
    song.length = grid.length;
    song.grid = std::move(grid.beats);
    song.meters = std::move(grid.meters);
    song.tempos = std::move(grid.tempos);
    song.keys = std::move(grid.keys);
    song.baseGrid.reserve(song.grid.size());
    for (const auto& e : song.grid) {
      song.baseGrid.push_back(ToBarsBeats(e));
      if (e.beat == 1) song.barStarts.push_back(e.tick);
    }
    for (const auto& t : song.tempos) {
      TL::Tempo rec;
      rec.tick = t.tick;
      rec.usPerQuarter = static_cast<UInt32>(std::llround(60e6 / t.bpm));
      song.timeline.GetTempos().push_back(rec);
    }
    for (const auto& m : song.meters) {
      TL::Meter rec;
      rec.tick = m.tick;
      rec.numerator = static_cast<UInt8>(m.num);
      rec.denominator = static_cast<UInt8>(m.den);
      song.timeline.GetMeters().push_back(rec);
    }
    for (const auto& k : song.keys) {
      TL::Key rec;
      rec.tick = k.tick;
      rec.mode = static_cast<UInt16>(k.mode);
      rec.sharpsFlats = static_cast<Int16>(k.sharpsFlats);
      song.timeline.GetKeys().push_back(rec);
    }
    song.pages = def->pages;
    std::stable_sort(song.pages.begin(), song.pages.end(),
                     [](const PageMark& a, const PageMark& b) { return a.tick < b.tick; });
    for (const auto& p : song.pages) show->pages[p.page] = {song.index, p.tick};
    show->songs.push_back(std::move(song));
  }
  for (const auto& [page, where] : show->pages) show->pagesInOrder.push_back({where.song, where.tick, page});
  std::sort(show->pagesInOrder.begin(), show->pagesInOrder.end(), [](const PagePlace& a, const PagePlace& b) {
    return std::tie(a.song, a.tick, a.page) < std::tie(b.song, b.tick, b.page);
  });
  return show;
}

std::shared_ptr<const ShowModel> LoadShowModel(const std::filesystem::path& folder) {
  return BuildShowModel(ReadShowDefinition(folder / "show.json"), folder);
}

}  // namespace vand::player
