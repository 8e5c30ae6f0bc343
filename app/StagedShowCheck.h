#pragma once

// The check a downloaded show must pass before it replaces the show on disk:
// what the program reads of a show at start must read.
//
// Threading: any thread (the show download's worker); it only reads files.

#include "vand_networking_http/ShowDownload.h"

namespace vand::qt {

// Of the files the download brings: show.json must read and lay its grids
// (songs whose audio cannot be read are no failure, as at start), each change
// log must read as this show's (against the identity.json the show will
// have), and the score package must read whole. Throws an exception whose
// what() names the file and what is wrong.
void CheckStagedShow(const vand::networking::StagedShow& show);

} // namespace vand::qt
