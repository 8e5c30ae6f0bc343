// make-demo-sfx: writes the demo sound-effects catalogue.
//
//   make-demo-sfx DATA_FOLDER
//
// The catalogue goes to DATA_FOLDER/vand_data/sfx. The library finds it when
// DATA_FOLDER is the first entry of XDG_DATA_DIRS, e.g.
//   XDG_DATA_DIRS=DATA_FOLDER:/usr/local/share:/usr/share

#include <exception>
#include <iostream>
#include <string>

#include "DemoSfx.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]).empty() || argv[1][0] == '-') {
    std::cerr << "usage: make-demo-sfx DATA_FOLDER\n";
    return 2;
  }
  try {
    std::cout << "Wrote " << vand::demo::WriteDemoSfx(argv[1]).string() << "\n";
  } catch (const std::exception& e) {
    std::cerr << "make-demo-sfx: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
