#include "DemoShow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <stdexcept>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>

#include "CL/Events.h"
#include "TarWriter.h"
#include "engine/SongGrid.h"
#include "kit/File.h"
#include "vand_audio/SoundFileEncoder.h"

namespace fs = std::filesystem;
using vand::player::BuildSongGrid;
using vand::player::GridEntry;
using vand::player::KeyMark;
using vand::player::MeterMark;
using vand::player::PageMark;
using vand::player::ShowDefinition;
using vand::player::SongDefinition;
using vand::player::SongGrid;
using vand::player::TempoMark;

namespace vand::demo {
namespace {

using kit::WriteFileAtomically;

// Tick of the first beat of the bar with this ordinal number (its label unless relabelled).
UInt32 BarTick(const SongDefinition& song, const SongGrid& grid, int ordinal) {
  std::string label = std::to_string(ordinal);
  if (auto it = song.barLabels.find(label); it != song.barLabels.end()) label = it->second;
  for (const auto& e : grid.beats) {
    if (e.label == label) return e.tick;
  }
  if (ordinal == song.firstBar + song.barCount) return grid.length;  // the end barline
  throw std::logic_error("the demo names bar " + label + ", which song " + song.number + " does not have");
}

SongDefinition Song(std::string number, std::string name, std::string audio, int bars, std::vector<TempoMark> tempos,
                    std::vector<MeterMark> meters, std::vector<KeyMark> keys) {
  SongDefinition s;
  s.number = std::move(number);
  s.name = std::move(name);
  s.audio = std::move(audio);
  s.startTick = 1000;
  s.barCount = bars;
  s.tempos = std::move(tempos);
  s.meters = std::move(meters);
  s.keys = std::move(keys);
  return s;
}

// ---- audio ----

double MidiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

int TonicPitchClass(int sharpsFlats, int mode) {
  int major = ((sharpsFlats * 7) % 12 + 12) % 12;
  return mode == 1 ? (major + 9) % 12 : major;
}

std::vector<float> Synthesise(const SongDefinition& def, const SongGrid& grid, const AudioStyle& style) {
  const int rate = style.sampleRate;
  const std::uint64_t frames =
      static_cast<std::uint64_t>((grid.length + style.tailMs) * static_cast<double>(rate) / 1000.0);
  std::vector<float> mono(frames, 0.0f);
  if (style.silent) return mono;
  auto frameOf = [&](double tick) { return static_cast<std::int64_t>(std::llround(tick * rate / 1000.0)); };

  // Chords: I, vi, IV, V in the key at the bar's start; the bass plays the root.
  std::vector<std::size_t> barStarts;
  for (std::size_t i = 0; i < grid.beats.size(); ++i) {
    if (i == 0 || grid.beats[i].beat == 1) barStarts.push_back(i);
  }
  static const int kDegrees[4] = {0, 9, 5, 7};
  static const bool kMinorChord[4] = {false, true, false, false};
  for (std::size_t b = 0; b < barStarts.size(); ++b) {
    const GridEntry& first = grid.beats[barStarts[b]];
    const double start = first.tick;
    const bool last = b + 1 == barStarts.size();
    const double end = last ? grid.length + style.tailMs * 0.8 : grid.beats[barStarts[b + 1]].tick;
    const vand::player::KeyPoint* key = &grid.keys.front();
    for (const auto& k : grid.keys) {
      if (k.tick <= start) key = &k;
    }
    const int tonic = TonicPitchClass(key->sharpsFlats, key->mode);
    const int degree = static_cast<int>(b % 4);
    int root = (tonic + kDegrees[degree] + (key->mode == 1 ? 3 : 0)) % 12;
    bool minor = kMinorChord[degree] != (key->mode == 1);
    const int notes[4] = {36 + root, 60 + root, 60 + root + (minor ? 3 : 4), 60 + root + 7};
    const double amps[4] = {0.16, 0.06, 0.05, 0.05};
    const std::int64_t f0 = frameOf(start),
                       f1 = std::min<std::int64_t>(frameOf(end), static_cast<std::int64_t>(frames));
    const double attack = 0.02 * rate, release = 0.08 * rate;
    for (int v = 0; v < 4; ++v) {
      const double w = 2.0 * std::numbers::pi * MidiToHz(notes[v]) / rate;
      for (std::int64_t f = f0; f < f1; ++f) {
        const double t = static_cast<double>(f - f0);
        const double toEnd = static_cast<double>(f1 - f);
        double env = std::min({1.0, t / attack, toEnd / release});
        if (last) env *= std::exp(-t / (2.0 * rate));
        mono[static_cast<std::size_t>(f)] += static_cast<float>(amps[v] * env * std::sin(w * t));
      }
    }
  }
  // A click on every beat, higher and louder on beat 1.
  for (const auto& beat : grid.beats) {
    const bool accent = beat.beat == 1;
    const double w = 2.0 * std::numbers::pi * (accent ? 1760.0 : 1175.0) / rate;
    const double amp = accent ? 0.45 : 0.28;
    const std::int64_t f0 = frameOf(beat.tick);
    const std::int64_t n = static_cast<std::int64_t>(0.035 * rate);
    for (std::int64_t i = 0; i < n && f0 + i < static_cast<std::int64_t>(frames); ++i) {
      const double t = static_cast<double>(i);
      mono[static_cast<std::size_t>(f0 + i)] +=
          static_cast<float>(amp * std::exp(-t / (0.008 * rate)) * std::sin(w * t));
    }
  }
  for (float& s : mono) s = std::clamp(s, -0.98f, 0.98f);
  (void)def;
  return mono;
}

void WriteAudio(const fs::path& file, const std::vector<float>& mono, const AudioStyle& style) {
  vand_audio::SoundFileFormat format = vand_audio::SoundFileFormat::Wav16;
  switch (style.format) {
    case AudioStyle::Format::Ogg: format = vand_audio::SoundFileFormat::OggVorbis; break;
    case AudioStyle::Format::Flac: format = vand_audio::SoundFileFormat::Flac; break;
    case AudioStyle::Format::Wav: format = vand_audio::SoundFileFormat::Wav16; break;
  }
  const auto channels = static_cast<std::size_t>(style.channels);
  std::vector<float> interleaved(mono.size() * channels);
  for (std::size_t i = 0; i < mono.size(); ++i) {
    for (std::size_t c = 0; c < channels; ++c) interleaved[i * channels + c] = mono[i];
  }
  try {
    WriteFileAtomically(
        file, vand_audio::EncodeSound(interleaved.data(), mono.size(), style.sampleRate, style.channels, format, 0.2));
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(file.string() + ": " + e.what());
  }
}

std::string Extension(AudioStyle::Format f) {
  switch (f) {
    case AudioStyle::Format::Ogg: return ".ogg";
    case AudioStyle::Format::Flac: return ".flac";
    case AudioStyle::Format::Wav: return ".wav";
  }
  return ".wav";
}

std::string IdentityJson(const ShowDefinition& show, const std::string& organisation) {
  auto quote = [](const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
    return out + "\"";
  };
  return "{\n  \"identifier\": " + quote(show.identifier) + ",\n  \"showName\": " + quote(show.showName) +
         ",\n  \"organisationName\": " + quote(organisation) + ",\n  \"productType\": 1\n}\n";
}

// ---- pictures ----

QByteArray Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw std::runtime_error("cannot encode a score page");
  return bytes;
}

QImage ScorePage(const ShowDefinition& show, const SongDefinition& song, const SongGrid& grid, unsigned page,
                 UInt32 from, UInt32 to) {
  QImage image(595, 842, QImage::Format_Grayscale8);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QFont title("DejaVu Serif");
  title.setPixelSize(22);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(0, 30, 595, 30), Qt::AlignCenter, QString::fromStdString(song.number + ". " + song.name));
  QFont small("DejaVu Sans");
  small.setPixelSize(12);
  p.setFont(small);
  p.drawText(QRect(0, 62, 595, 20), Qt::AlignCenter, QString::fromStdString(show.showName));
  p.drawText(QRect(0, 812, 595, 20), Qt::AlignCenter, QString::number(page));

  // One measure per bar on the page, with a notehead on every beat.
  struct Bar {
    std::string label;
    int beats = 0;
  };
  std::vector<Bar> bars;
  for (const auto& e : grid.beats) {
    if (e.tick < from || e.tick >= to) continue;
    if (e.beat == 1 || bars.empty()) bars.push_back({e.label, 0});
    ++bars.back().beats;
  }
  const int perSystem = 4;
  const int left = 50, right = 545;
  const int width = (right - left) / perSystem;
  QFont label("DejaVu Sans");
  label.setPixelSize(13);
  label.setBold(true);
  p.setFont(label);
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const int system = static_cast<int>(i) / perSystem;
    const int slot = static_cast<int>(i) % perSystem;
    const int top = 120 + system * 110;
    const int x0 = left + slot * width;
    p.setPen(QPen(Qt::black, 1));
    for (int line = 0; line < 5; ++line) p.drawLine(x0, top + line * 9, x0 + width, top + line * 9);
    if (slot == 0) p.drawLine(x0, top, x0, top + 36);
    p.drawLine(x0 + width, top, x0 + width, top + 36);
    p.drawText(x0 + 4, top - 8, QString::fromStdString(bars[i].label));
    p.setBrush(Qt::black);
    for (int b = 0; b < bars[i].beats; ++b) {
      const double x = x0 + 14 + (width - 24) * (b + 0.5) / bars[i].beats;
      const double y = top + 36 - ((static_cast<int>(i) * 3 + b * 2) % 9) * 4.5;
      p.drawEllipse(QPointF(x, y), 4.5, 3.5);
      p.drawLine(QPointF(x + 4.2, y), QPointF(x + 4.2, y - 26));
    }
    p.setBrush(Qt::NoBrush);
  }
  p.end();
  return image;
}

}  // namespace

ShowDefinition DemoShowDefinition() {
  ShowDefinition show;
  show.identifier = kDemoIdentifier;
  show.showName = kDemoShowName;
  show.sampleRate = 48000;

  SongDefinition overture = Song("1", "Overture", "audio/01-overture.ogg", 12, {{"1", 120.0}, {"9", 96.0}},
                                 {{"1", 4, 4}}, {{"1", -3, 0}, {"9", -1, 0}});
  overture.pickupBeats = 1;
  SongDefinition waltz =
      Song("2", "Waltz", "audio/02-waltz.ogg", 16, {{"1", 144.0}, {"13", 120.0}}, {{"1", 3, 4}}, {{"1", 1, 0}});
  waltz.barLabels["9"] = "8A";
  SongDefinition barcarolle =
      Song("3", "Barcarolle", "audio/03-barcarolle.ogg", 8, {{"1", 90.0}}, {{"1", 6, 8}, {"7", 9, 8}}, {{"1", 0, 1}});
  SongDefinition march = Song("4", "March", "audio/04-march.ogg", 12, {{"1", 112.0}}, {{"1", 2, 4}}, {{"1", -2, 0}});
  march.defaultAttacca = 1;
  SongDefinition finale = Song("5", "Finale", "audio/05-finale.ogg", 12, {{"1", 132.0}, {"9", 120.0}},
                               {{"1", 4, 4}, {"9", 3, 4}}, {{"1", 2, 0}, {"9", 4, 0}});

  // Pages: eight bars each, numbered through the show.
  unsigned page = 1;
  for (SongDefinition* s : {&overture, &waltz, &barcarolle, &march, &finale}) {
    SongGrid grid = BuildSongGrid(*s);
    s->pages.push_back({page++, s->startTick});
    for (int bar = s->firstBar + 8; bar < s->firstBar + s->barCount; bar += 8) {
      s->pages.push_back({page++, BarTick(*s, grid, bar)});
    }
    show.songs.push_back(*s);
  }
  return show;
}

CL::ChangeLog DemoChangeLog(const ShowDefinition& show) {
  CL::ChangeLog log;
  log.SetVersion(cmn::VANDVersion(1, 0));
  log.SetModifiedTime(1767225600);  // fixed, so the demo is the same on every run
  log.SetShowIdentifier(show.identifier);
  log.SetNetworks({CL::NetworkPath("NETWORK0", "QLab", "127.0.0.1", 53000, 0)});
  log.SetOutputPath(CL::OutputPath("main", "Main", ""));

  auto song = [&](const std::string& number) -> const SongDefinition& {
    for (const auto& s : show.songs) {
      if (s.number == number) return s;
    }
    throw std::logic_error("no demo song " + number);
  };
  auto add = [&](const std::string& number, auto&& make) {
    const SongDefinition& def = song(number);
    SongGrid grid = BuildSongGrid(def);
    auto bar = [&](int ordinal) { return BarTick(def, grid, ordinal); };
    make(log.GetOrCreateSongLog(number), bar);
  };

  add("1", [](CL::SongLog& l, auto bar) {
    l.Add(CL::Marker(bar(1), "Intro", "E1"));
    l.Add(CL::Marker(bar(5), "Letter A", "E5"));
    l.Add(CL::Marker(bar(9), "Letter B", "E9"));
    l.Add(CL::Repeat(bar(5), bar(7), "A5", 2));
    l.Add(CL::Caesura(bar(9), "N9", 0));
    l.Add(CL::Osc(bar(1), "S1", CL::OscProperties("/cue/1/go", "NETWORK0")));
    l.Add(CL::TempoScale(bar(10), bar(12), "D10", 0.9));
  });
  add("2", [](CL::SongLog& l, auto bar) {
    l.Add(CL::Marker(bar(1), "Waltz", "E1"));
    l.Add(CL::Marker(bar(3), "Vamp", "E3"));
    l.Add(CL::Vamp(bar(3), bar(5), "V3", 0));
    l.Add(CL::Fermata(bar(11), bar(13), "M11", 0));
    l.Add(CL::Click(bar(1), bar(3), "L1", 4));
    l.Add(CL::Transpose(bar(13), bar(16), "C13", 2));
  });
  add("3", [](CL::SongLog& l, auto bar) {
    l.Add(CL::Marker(bar(1), "Barcarolle", "E1"));
    l.Add(CL::Cut(bar(5), bar(7), "B5", 0));
    l.Add(CL::Click(bar(1), bar(4), "L1", 12));
    l.Add(CL::Osc(bar(3), "S3", CL::OscProperties("/cue/3/go", "NETWORK0")));
  });
  add("4", [](CL::SongLog& l, auto bar) {
    l.Add(CL::Marker(bar(1), "March", "E1"));
    l.Add(CL::Transpose(bar(5), bar(9), "C5", -1));
  });
  add("5", [](CL::SongLog& l, auto bar) {
    l.Add(CL::Marker(bar(1), "Finale", "E1"));
    l.Add(CL::Vamp(bar(3), bar(5), "V3", 2));
    l.Add(CL::TempoScale(bar(5), bar(8), "D5", 1.1));
    l.Add(CL::Marker(bar(9), "Bows", "E9"));
    l.Add(CL::Caesura(bar(12), "N12", 0));
  });
  return log;
}

void WriteShowFolder(const fs::path& folder, ShowDefinition show, const AudioStyle& style,
                     const std::string& organisation) {
  fs::create_directories(folder);
  for (auto& song : show.songs) {
    fs::path audio(song.audio);
    audio.replace_extension(Extension(style.format));
    song.audio = audio.generic_string();
    fs::create_directories((folder / audio).parent_path());
    SongGrid grid = BuildSongGrid(song);
    WriteAudio(folder / audio, Synthesise(song, grid, style), style);
  }
  WriteFileAtomically(folder / "show.json", vand::player::WriteShowDefinition(show));
  WriteFileAtomically(folder / "identity.json", IdentityJson(show, organisation));
}

void WriteScorePackage(const fs::path& file, const ShowDefinition& show) {
  std::vector<vand::tools::TarEntry> pages;
  for (const auto& song : show.songs) {
    SongGrid grid = BuildSongGrid(song);
    for (std::size_t i = 0; i < song.pages.size(); ++i) {
      UInt32 to = i + 1 < song.pages.size() ? song.pages[i + 1].tick : grid.length + 1;
      char name[32];
      std::snprintf(name, sizeof(name), "page%02u.png", song.pages[i].page);
      pages.push_back(
          {name, Png(ScorePage(show, song, grid, song.pages[i].page, song.pages[i].tick, to)).toStdString()});
    }
  }
  try {
    WriteFileAtomically(file, vand::tools::WriteTar(pages));
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("cannot pack " + file.string() + ": " + e.what());
  }
}

void WriteAlbumArtwork(const fs::path& file, const std::string& showName) {
  QImage image(512, 512, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 512);
  sky.setColorAt(0.0, QColor("#1b1f3b"));
  sky.setColorAt(1.0, QColor("#7a2e4d"));
  p.fillRect(image.rect(), sky);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 214, 120, 70));
  p.drawEllipse(QPointF(256, 430), 260, 120);  // footlights
  p.setBrush(QColor("#5a0f1e"));
  p.drawRect(0, 0, 60, 512);
  p.drawRect(452, 0, 60, 512);
  p.setPen(QColor("#f6e7c1"));
  QFont font("DejaVu Serif");
  font.setPixelSize(48);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRect(60, 150, 392, 140), Qt::AlignCenter | Qt::TextWordWrap, QString::fromStdString(showName));
  p.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "JPG", 85)) throw std::runtime_error("cannot encode the album artwork");
  WriteFileAtomically(file, bytes.toStdString());
}

void WriteDemoShow(const fs::path& folder, const DemoOptions& options) {
  ShowDefinition show = DemoShowDefinition();
  AudioStyle style;
  style.format = options.format;
  if (options.small) {
    style.format = AudioStyle::Format::Wav;
    style.sampleRate = 8000;
    style.channels = 1;
    style.silent = true;
  }
  WriteShowFolder(folder, show, style);
  if (!options.small) {
    WriteScorePackage(folder / "score.score", show);
    WriteAlbumArtwork(folder / "AlbumArtwork.jpg", show.showName);
  }
  if (options.withChangeLog) {
    CL::ChangeLog log = DemoChangeLog(show);
    log.SaveToFile(folder / CL::ChangeLog::MakeFileName(show.showName, log.GetVersion()));
  }
}

}  // namespace vand::demo
