#pragma once

// Change-log files of the show folder as the server names them, and the text
// splitting that the change-log manager keys its local files by.
//
// Threading: plain functions; DownloadChangelogFile blocks the calling thread
// for the transfer (see vand_networking_http/NetworkApiInterface.h).

#include <filesystem>
#include <string>
#include <vector>

#include "vand_networking_http/NetworkApiInterface.h"

namespace vand::qt {

// A name the server may give a change log in the show folder: a plain file
// name ending in ".logdata", with no separator, no "..", no leading "." and
// no control character.
bool IsPlainLogFileName(const std::string& name);

// Fetches the version that info describes into the show folder under its
// file name and returns that name. A name that IsPlainLogFileName refuses is
// a download error: std::runtime_error, and nothing is written. A failed
// transfer leaves the file that was there (vand::networking::VANDDownloader).
std::string DownloadChangelogFile(const vand::networking::ChangelogFullInfo& info,
                                  const std::filesystem::path& showFolder);

// Splits text at each delimiter, at most maxSplits times (-1: no limit); the
// rest after the last split is the last part. "a-b" gives {"a", "b"}, "a-"
// gives {"a", ""}, "" gives {""}; a maximum of 0 gives the whole text.
std::vector<std::string> SplitString(const std::string& text, char delimiter, int maxSplits = -1);

} // namespace vand::qt
