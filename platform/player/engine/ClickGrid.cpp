#include "engine/ClickGrid.h"

#include <algorithm>
#include <cmath>

namespace vand::player {
namespace {

constexpr int kClickIcons[] = {1, 2, 3, 4, 6, 7, 8, 12, 14, 16, 24, 28, 30, 31, 32};

bool HasIcon(int v) { return std::find(std::begin(kClickIcons), std::end(kClickIcons), v) != std::end(kClickIcons); }

void AddIf(std::vector<int>& out, int numerator, int den) {
  if (den <= 0 || numerator % den != 0) return;
  int v = numerator / den;
  if (v >= 1 && std::find(out.begin(), out.end(), v) == out.end()) out.push_back(v);
}

const MeterPoint* MeterAt(const std::vector<MeterPoint>& meters, std::uint32_t tick) {
  const MeterPoint* found = meters.empty() ? nullptr : &meters.front();
  for (const auto& m : meters) {
    if (m.tick > tick) break;
    found = &m;
  }
  return found;
}

}  // namespace

std::vector<int> ClickValuesForMeter(int num, int den) {
  std::vector<int> out;
  if (num <= 0 || den <= 0) return out;
  bool compound = num % 3 == 0 && den >= 8;
  if (compound) {
    AddIf(out, 96, den);
    AddIf(out, 32, den);
    AddIf(out, 16, den);
  } else {
    AddIf(out, 32, den);
    AddIf(out, 16, den);
    AddIf(out, 8, den);
    if (num % 2 == 0) AddIf(out, 64, den);
  }
  return out;
}

std::vector<int> AllowedClickValues(const std::vector<MeterPoint>& meters, std::uint32_t start, std::uint32_t end) {
  std::vector<const MeterPoint*> inRange;
  if (const MeterPoint* first = MeterAt(meters, start)) inRange.push_back(first);
  for (const auto& m : meters) {
    if (m.tick > start && m.tick <= end) inRange.push_back(&m);
  }
  if (inRange.empty()) {
    static const MeterPoint common{0, 4, 4};
    inRange.push_back(&common);
  }
  std::vector<int> result;
  for (int v : ClickValuesForMeter(inRange.front()->num, inRange.front()->den)) {
    if (!HasIcon(v)) continue;
    bool everywhere = true;
    for (std::size_t i = 1; i < inRange.size() && everywhere; ++i) {
      auto other = ClickValuesForMeter(inRange[i]->num, inRange[i]->den);
      everywhere = std::find(other.begin(), other.end(), v) != other.end();
    }
    if (everywhere) result.push_back(v);
  }
  return result;
}

std::vector<GridEntry> BuildClickGrid(const std::vector<GridEntry>& base, const std::vector<MeterPoint>& meters,
                                      const std::vector<ClickRegion>& allRegions, std::uint32_t length) {
  std::vector<ClickRegion> regions;
  for (const auto& r : allRegions) {
    if (r.value > 0 && r.start < r.end) regions.push_back(r);
  }
  if (regions.empty() || base.empty()) return base;

  auto inRegion = [&](std::uint32_t tick) -> const ClickRegion* {
    for (const auto& r : regions) {
      if (tick >= r.start && tick < r.end) return &r;
    }
    return nullptr;
  };

  std::vector<GridEntry> out;
  out.reserve(base.size() * 2);
  std::size_t i = 0;
  while (i < base.size()) {
    // One bar: entries up to the next beat 1.
    std::size_t j = i + 1;
    while (j < base.size() && base[j].beat != 1) ++j;
    const std::uint32_t barEnd = j < base.size() ? base[j].tick : std::max(length, base[j - 1].tick + 1);

    bool touched = false;
    for (const auto& r : regions) {
      if (r.start < barEnd && r.end > base[i].tick) touched = true;
    }
    if (!touched) {
      out.insert(out.end(), base.begin() + static_cast<std::ptrdiff_t>(i),
                 base.begin() + static_cast<std::ptrdiff_t>(j));
      i = j;
      continue;
    }

    // Position in beats from the bar start, mapped to ticks through the bar's beats.
    std::vector<double> u;
    std::vector<double> t;
    for (std::size_t k = i; k < j; ++k) {
      u.push_back(base[k].beat - 1);
      t.push_back(base[k].tick);
    }
    u.push_back(u.back() + 1.0);
    t.push_back(barEnd);
    for (std::size_t k = 1; k < u.size(); ++k) {
      if (u[k] <= u[k - 1]) u[k] = u[k - 1] + 1.0;  // explicit grids may skip or repeat beat numbers
    }
    auto tickAt = [&](double pos) {
      // First k >= 1 with u[k] >= pos, the last segment at most.
      const auto k = static_cast<std::size_t>(std::lower_bound(u.begin() + 1, u.end() - 1, pos) - u.begin());
      double f = (pos - u[k - 1]) / (u[k] - u[k - 1]);
      return t[k - 1] + f * (t[k] - t[k - 1]);
    };

    const MeterPoint* meter = MeterAt(meters, base[i].tick);
    const int den = meter ? meter->den : 4;
    struct Mark {
      std::uint32_t tick;
      int beat;  // original beat, or 0 for a click entry
      int index;
    };
    std::vector<Mark> marks;
    for (std::size_t k = i; k < j; ++k) {
      if (!inRegion(base[k].tick)) marks.push_back({base[k].tick, base[k].beat, 0});
    }
    // Click entries of every region that touches the bar.
    for (const auto& r : regions) {
      if (!(r.start < barEnd && r.end > base[i].tick)) continue;
      const double step = static_cast<double>(r.value) * den / 32.0;  // in beats
      for (int n = 0;; ++n) {
        double pos = n * step;
        if (pos >= u.back() - 1e-9) break;
        if (pos < u.front() - 1e-9) continue;
        auto tick = static_cast<std::uint32_t>(std::llround(tickAt(pos)));
        if (tick < r.start || tick >= r.end || tick >= barEnd) continue;
        if (inRegion(tick) != &r) continue;
        marks.push_back({tick, 0, n + 1});
      }
    }
    std::sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.tick < b.tick; });
    marks.erase(std::unique(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.tick == b.tick; }),
                marks.end());
    if (marks.empty()) {
      i = j;
      continue;
    }
    // Renumber 1..k from the bar start; a bar entered part-way (a pickup) keeps its offset.
    int number = marks.front().beat != 0 ? marks.front().beat : marks.front().index;
    if (base[i].beat == 1) number = 1;
    for (const auto& m : marks) {
      out.push_back({m.tick, base[i].label, number});
      ++number;
    }
    i = j;
  }
  // Keep ticks strictly increasing (in one pass: a bar of many entries must not cost n²).
  std::size_t kept = 0;
  for (const auto& e : out) {
    if (kept == 0 || e.tick > out[kept - 1].tick) out[kept++] = e;
  }
  out.resize(kept);
  return out;
}

}  // namespace vand::player
