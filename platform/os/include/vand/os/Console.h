#pragma once

namespace vand::os {

// Opens a console for the program's output. On Linux standard output and
// error already reach the terminal; they are switched to line buffering.
void OpenConsole();

}  // namespace vand::os
