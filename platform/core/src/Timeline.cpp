#include "TL/Timeline.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace TL {

std::string BarsBeats::bar_number() const {
  std::size_t n = 0;
  while (n < sizeof(barSuffix) && barSuffix[n] != '\0') ++n;
  return std::to_string(bar) + std::string(barSuffix, n);
}

std::string BarsBeats::WriteString() const {
  return "tick=" + std::to_string(tick) + " bar=" + bar_number() + " beat=" + std::to_string(beat);
}

void BarsBeats::SetBarLabel(Int32 barNumber, const std::string& suffix) {
  bar = barNumber;
  std::memset(barSuffix, 0, sizeof(barSuffix));
  std::memcpy(barSuffix, suffix.data(), std::min(suffix.size(), sizeof(barSuffix)));
}

bool BarsBeats::operator==(const BarsBeats& o) const {
  return tick == o.tick && bar == o.bar && beat == o.beat &&
         std::memcmp(barSuffix, o.barSuffix, sizeof(barSuffix)) == 0;
}

std::ostream& operator<<(std::ostream& os, const BarsBeats& b) { return os << b.WriteString(); }

std::string Key::WriteString() const {
  return "tick=" + std::to_string(tick) + " mode=" + std::to_string(mode) +
         " sharpsFlats=" + std::to_string(sharpsFlats);
}

double Tempo::bpm(int clocksPerClick) const {
  if (usPerQuarter == 0 || clocksPerClick == 0) return 0.0;
  return 60e6 / static_cast<double>(usPerQuarter) * 24.0 / static_cast<double>(clocksPerClick);
}

std::string Tempo::WriteString() const {
  return "tick=" + std::to_string(tick) + " usPerQuarter=" + std::to_string(usPerQuarter);
}

std::string Meter::WriteString() const {
  return "tick=" + std::to_string(tick) + " meter=" + std::to_string(numerator) + "/" + std::to_string(denominator) +
         " clocksPerClick=" + std::to_string(clocksPerClick) +
         " thirtySecondsPerQuarter=" + std::to_string(thirtySecondsPerQuarter);
}

std::ostream& operator<<(std::ostream& os, const Key& k) { return os << k.WriteString(); }
std::ostream& operator<<(std::ostream& os, const Tempo& t) { return os << t.WriteString(); }
std::ostream& operator<<(std::ostream& os, const Meter& m) { return os << m.WriteString(); }

}  // namespace TL
