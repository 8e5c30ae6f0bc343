#include "cmn/EventCodes.h"

#include <cmath>

namespace codes {

namespace {

// "500", "-6"; factors as percentages: "50%".
std::string LimitText(const EventKind& kind, double v) {
  if (!std::isfinite(v)) return "not a number";
  if (kind.value == ValueKind::Factor) return std::to_string(std::lround(v * 100.0)) + "%";
  return std::to_string(std::lround(v));
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (auto pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
}

}  // namespace

const EventKind* FindEventKind(unsigned char code) {
  // Row of each code, -1 for none: the reader and the editor ask per event.
  static constexpr std::array<int, 256> kRow = [] {
    std::array<int, 256> row{};
    row.fill(-1);
    for (std::size_t i = 0; i < kEventKinds.size(); ++i) row[kEventKinds[i].code] = static_cast<int>(i);
    return row;
  }();
  const int i = kRow[code];
  return i < 0 ? nullptr : &kEventKinds[static_cast<std::size_t>(i)];
}

EditNameTable::EditNameTable() {
  for (const EventKind& kind : kEventKinds) emplace(kind.code, kind.name);
}

std::string EditName(unsigned char code) {
  const EventKind* kind = FindEventKind(code);
  return kind ? kind->name : std::string();
}

std::string Noun(unsigned char code) {
  const EventKind* kind = FindEventKind(code);
  if (kind && *kind->noun) return kind->noun;
  return std::string("event of code '") + static_cast<char>(code) + "'";
}

std::string Title(unsigned char code) {
  const EventKind* kind = FindEventKind(code);
  if (kind && *kind->title) return kind->title;
  return std::string("Event '") + static_cast<char>(code) + "'";
}

bool IsRegionCode(unsigned char code) {
  const EventKind* kind = FindEventKind(code);
  return kind && kind->home == Home::Song && kind->extent == Extent::Region;
}

bool IsFlowRegionCode(unsigned char code) {
  const EventKind* kind = FindEventKind(code);
  return kind && kind->flow != FlowKind::None;
}

bool IsSongEventCode(unsigned char code) {
  const EventKind* kind = FindEventKind(code);
  return kind && kind->home == Home::Song;
}

bool IsSfxCode(unsigned char code) {
  const EventKind* kind = FindEventKind(code);
  return kind && kind->value == ValueKind::Sfx;
}

bool HasIntValue(unsigned char code) {
  const EventKind* kind = FindEventKind(code);
  return kind && kind->value == ValueKind::Int;
}

bool InLimits(const EventKind& kind, double value) { return value >= kind.min && value <= kind.max; }

std::string LimitRule(const EventKind& kind, double value) {
  std::string rule = kind.limitRule;
  ReplaceAll(rule, "{min}", LimitText(kind, kind.min));
  ReplaceAll(rule, "{max}", LimitText(kind, kind.max));
  ReplaceAll(rule, "{value}", LimitText(kind, value));
  return rule;
}

std::string GeneratedId(unsigned char code, const std::string& position) {
  const EventKind* kind = FindEventKind(code);
  return std::string(1, kind ? kind->idLetter : static_cast<char>(code)) + position;
}

std::string FreeId(const std::string& base, const std::function<bool(const std::string&)>& taken) {
  if (!taken(base)) return base;
  for (unsigned n = 2;; ++n) {
    std::string candidate = base + "_" + std::to_string(n);
    if (!taken(candidate)) return candidate;
  }
}

}  // namespace codes
