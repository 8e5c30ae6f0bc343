#include "kit/NumericStringCompare.h"

#include <cstddef>

namespace kit {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int NumericStringCompareValues(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  // Tie breaker for digit runs of equal value: fewer leading zeros first.
  int zeroTie = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      std::size_t ai = i;
      std::size_t bj = j;
      while (ai < a.size() && a[ai] == '0') ++ai;
      while (bj < b.size() && b[bj] == '0') ++bj;
      std::size_t ae = ai;
      std::size_t be = bj;
      while (ae < a.size() && IsDigit(a[ae])) ++ae;
      while (be < b.size() && IsDigit(b[be])) ++be;
      const std::size_t alen = ae - ai;
      const std::size_t blen = be - bj;
      if (alen != blen) return alen < blen ? -1 : 1;
      for (std::size_t k = 0; k < alen; ++k) {
        if (a[ai + k] != b[bj + k]) return a[ai + k] < b[bj + k] ? -1 : 1;
      }
      const std::size_t azeros = ai - i;
      const std::size_t bzeros = bj - j;
      if (zeroTie == 0 && azeros != bzeros) zeroTie = azeros < bzeros ? -1 : 1;
      i = ae;
      j = be;
    } else {
      const unsigned char ca = static_cast<unsigned char>(a[i]);
      const unsigned char cb = static_cast<unsigned char>(b[j]);
      if (ca != cb) return ca < cb ? -1 : 1;
      ++i;
      ++j;
    }
  }
  const bool aDone = i >= a.size();
  const bool bDone = j >= b.size();
  if (aDone != bDone) return aDone ? -1 : 1;
  return zeroTie;
}

bool NumericStringCompare::operator()(const std::string& a, const std::string& b) const {
  return NumericStringCompareValues(a, b) < 0;
}

bool NumericStringCompare::operator()(std::string_view a, std::string_view b) const {
  return NumericStringCompareValues(a, b) < 0;
}

}  // namespace kit
