#pragma once

// Writes the QLab network patch file: a JSON description of the OSC commands
// this system accepts (addresses under "/vand/"), as templates QLab fills in.
// The content is fixed but for the default song number, the show's first.
//
// Threads: GUI thread (it asks the player for its song list).

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class Interface;

namespace vand {

class QLabFileWriter
{
public:
    explicit QLabFileWriter(std::shared_ptr<Interface> player);

    // "qlab_network_patch_definition.qlabnetwork".
    static std::string GetFileName();

    // Writes the whole document (pretty-printed, 4 blanks per level, no line
    // end after the closing brace). Throws std::runtime_error "QLab File
    // Writer has no data to write." without a player, before writing
    // anything; lets the stream's exceptions through.
    void WriteQLabNetworkPatch(std::ostream& stream);

private:
    std::shared_ptr<Interface> player_;
};

} // namespace vand
