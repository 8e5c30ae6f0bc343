#include "timeline/RegionColours.h"

namespace vand::qt {

const std::map<int, std::string>& RegionColours()
{
    static const std::map<int, std::string> colours = {
        {0, "#DC143C"}, // cut
        {1, "#6e3493"}, // skip
        {2, "#DAA520"}, // repeat
        {3, "#00BFFF"}, // vamp
        {4, "#0d6d97"}, // tempo scaling
        {5, "#FFFF00"}, // transposition
        {6, "#3da893"}, // click change
        {8, "#FF66CC"},
    };
    return colours;
}

QString RegionColour(int key)
{
    const auto& colours = RegionColours();
    const auto found = colours.find(key);
    return QString::fromStdString(found != colours.end() ? found->second : std::string("#cccccc"));
}

} // namespace vand::qt
