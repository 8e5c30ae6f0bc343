#pragma once

// Change-log files of the show folder as the server names them: fetching one
// and putting it in place without losing a local file of the same name, and
// the text splitting that the change-log manager keys its local files by.
//
// Threading: FetchChangelogFile blocks the calling thread for the transfer
// and is meant for a worker; PlaceFetchedChangelog runs on the GUI thread,
// where the engine writes the same folder.

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "vand_networking_http/NetworkApiInterface.h"

namespace vand::qt {

// A name the server may give a change log in the show folder: a plain file
// name ending in ".logdata", with no separator, no "..", no leading "." and
// no control character.
bool IsPlainLogFileName(const std::string& name);

// Fetches the version that info describes from server into the show folder,
// under its file name followed by ".incoming" (a name nothing lists), and
// returns that path. A name that IsPlainLogFileName refuses, and a transfer
// that fails, runs out of time or is cancelled, throw std::runtime_error with
// a message for the user; nothing is left behind then.
std::filesystem::path FetchChangelogFile(const vand::networking::ServerConfig& server,
                                         const vand::networking::ChangelogFullInfo& info,
                                         const std::filesystem::path& showFolder, const std::atomic<bool>* cancel);

// Where a fetched version went.
struct PlacedChangelog
{
    std::string fileName;    // the fetched version's file in the show folder
    std::string keptAs;      // the earlier file of that name, kept under this name; empty when none was
    std::string keptVersion; // its version now ("2.1"); empty when none was
};

// Puts the file that FetchChangelogFile staged in place under info's file
// name. A local file of that name with the same bytes stays as it is. One
// with other bytes is kept first under the next free minor version of
// info's version (the first "name-M.m.logdata" above it that no file of the
// folder names), its content's version set to match, so nothing saved is
// lost; with no free minor version left, std::runtime_error and nothing
// changes. The staged file is gone afterwards, whatever happened. identityFile
// is the show's identity.json (to read the kept log).
PlacedChangelog PlaceFetchedChangelog(const std::filesystem::path& staged,
                                      const vand::networking::ChangelogFullInfo& info,
                                      const std::filesystem::path& showFolder,
                                      const std::filesystem::path& identityFile);

// Splits text at each delimiter, at most maxSplits times (-1: no limit); the
// rest after the last split is the last part. "a-b" gives {"a", "b"}, "a-"
// gives {"a", ""}, "" gives {""}; a maximum of 0 gives the whole text.
std::vector<std::string> SplitString(const std::string& text, char delimiter, int maxSplits = -1);

} // namespace vand::qt
