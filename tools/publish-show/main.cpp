// publish-show: writes a show folder in the show server's layout.
//
//   publish-show SHOW_FOLDER SERVER_ROOT

#include <iostream>

#include "PublishShow.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: publish-show SHOW_FOLDER SERVER_ROOT\n";
    return 2;
  }
  try {
    const auto published = vand::publish::PublishShow(argv[1], argv[2]);
    std::cout << "Published " << published.files.size() << " files of \"" << published.identifier << "\" to " << argv[2]
              << "/shows/" << published.identifier << "\n";
    for (const auto& skipped : published.skipped) std::cout << "  left out: " << skipped << "\n";
  } catch (const std::exception& e) {
    std::cerr << "publish-show: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
