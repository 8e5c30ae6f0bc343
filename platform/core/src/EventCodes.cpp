#include "cmn/EventCodes.h"

namespace codes {

std::string EditName(unsigned char code) {
  const auto it = editNameByVandEventCode.find(code);
  return it == editNameByVandEventCode.end() ? std::string() : it->second;
}

bool IsRegionCode(unsigned char code) {
  switch (code) {
    case kVamp: case kRepeat: case kCut: case kTranspose: case kTempoScale: case kClick: case kFermata:
      return true;
    default:
      return false;
  }
}

bool IsFlowRegionCode(unsigned char code) {
  return code == kVamp || code == kRepeat || code == kCut || code == kFermata;
}

bool IsSongEventCode(unsigned char code) {
  return IsRegionCode(code) || code == kMarker || code == kCaesura || code == kOsc;
}

bool IsSfxCode(unsigned char code) { return code == kSfx || code == kAmbientSfx; }

}  // namespace codes
