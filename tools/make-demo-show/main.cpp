// make-demo-show: writes the demo show.
//
//   make-demo-show [--small] [--wav] [--if-missing] SHOW_FOLDER
//   make-demo-show [--small] [--if-missing] --data-folder DATA_FOLDER
//   make-demo-show --current-only --data-folder DATA_FOLDER
// (one of the first two)
//
// With --data-folder the show goes to DATA_FOLDER/shows/demo and becomes the
// current show (DATA_FOLDER/current_show.json). --current-only writes only
// current_show.json, so the show itself comes from the show server. --if-missing leaves a folder
// that already holds a show.json alone. --small writes the test variant
// (silent WAV files, no score pages or artwork). --wav writes the full show's
// audio as WAV instead of Ogg Vorbis (a show of many megabytes).

#include <cstdlib>
#include <iostream>
#include <string>

#include <QGuiApplication>

#include "DemoShow.h"
#include "cmn/ShowIdentity.h"
#include "kit/Log.h"

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: make-demo-show [--small] [--wav] [--if-missing] [--current-only] "
    "(SHOW_FOLDER | --data-folder DATA_FOLDER)\n";

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  vand::demo::DemoOptions options;
  bool ifMissing = false;
  bool currentOnly = false;
  fs::path showFolder;
  fs::path dataFolder;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--small") {
      options.small = true;
    } else if (arg == "--if-missing") {
      ifMissing = true;
    } else if (arg == "--wav") {
      options.format = vand::demo::AudioStyle::Format::Wav;
    } else if (arg == "--current-only") {
      currentOnly = true;
    } else if (arg == "--data-folder" && i + 1 < argc) {
      dataFolder = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && showFolder.empty()) {
      showFolder = arg;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (showFolder.empty() == dataFolder.empty() || (currentOnly && dataFolder.empty())) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string relative = "shows/demo";
  if (showFolder.empty()) showFolder = dataFolder / relative;

  try {
    if (!currentOnly && !(ifMissing && fs::exists(showFolder / "show.json"))) {
      vand::demo::WriteDemoShow(showFolder, options);
      std::cout << "Demo show written to " << fs::absolute(showFolder).string() << std::endl;
    }
    if (!dataFolder.empty()) {
      vand::ShowIdentityService identity(dataFolder);
      vand::ShowIdentity current{vand::demo::kDemoIdentifier, vand::demo::kDemoShowName, vand::demo::kDemoOrganisation,
                                 relative};
      identity.SetCurrent(current);
    }
  } catch (const std::exception& e) {
    kit::Log(kit::LogLevel::Error, "make-demo-show", std::string("make-demo-show: ") + e.what());
    return 1;
  }
  return 0;
}
