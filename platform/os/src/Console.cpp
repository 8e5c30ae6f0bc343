#include "vand/os/Console.h"

#include <cstdio>
#include <iostream>

namespace vand::os {

void OpenConsole() {
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  std::setvbuf(stderr, nullptr, _IOLBF, BUFSIZ);
  std::cout.setf(std::ios::unitbuf);
  std::cerr.setf(std::ios::unitbuf);
}

}  // namespace vand::os
