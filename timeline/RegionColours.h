#pragma once

#include <map>
#include <string>

#include <QString>

namespace vand::qt {

// Colour key -> region colour; filled once, never changed.
const std::map<int, std::string>& RegionColours();

// The colour of a key; "#cccccc" for a key the table lacks.
QString RegionColour(int key);

} // namespace vand::qt
