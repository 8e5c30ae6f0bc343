// Feeds arbitrary lines, as the sequencer's port names, to SplitPortNames:
// - one source per port, in order, and no two with the same name;
// - a port whose last word is a client:port address gives that address as
//   its id and the words before it as its name (with a " (n)" repeat mark at
//   most); any other port keeps its whole text as name and id.

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "vand_midi/RtMidiBackend.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> ports;
  std::string line;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      ports.push_back(line);
      line.clear();
    } else {
      line.push_back(static_cast<char>(data[i]));
    }
  }
  ports.push_back(line);

  const std::vector<MidiEndPoint> sources = vand::midi::SplitPortNames(ports);
  Check(sources.size() == ports.size());
  std::set<std::string> names;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const std::string& name = sources[i].GetSourceName();
    const std::string& id = sources[i].GetSourceId();
    Check(names.insert(name).second);
    if (id == ports[i]) {
      Check(StartsWith(name, ports[i]));
      continue;
    }
    // "<base> <id>": the name is the base, perhaps with a repeat mark.
    Check(ports[i].size() > id.size() + 1);
    const std::string base = ports[i].substr(0, ports[i].size() - id.size() - 1);
    Check(ports[i] == base + " " + id);
    Check(StartsWith(name, base));
    Check(name == base ||
          (name.size() >= base.size() + 4 && name.compare(base.size(), 2, " (") == 0 && name.back() == ')'));
    const auto colon = id.find(':');
    Check(colon != std::string::npos && colon > 0 && colon + 1 < id.size());
  }
  return 0;
}
