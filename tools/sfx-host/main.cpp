// sfx-host [--demo-catalogue] [logdata [identity]]
//
// The SFX manager, the active-audio list and the sound-effect dialogs on the
// player controller, over an in-memory change log or one read from a
// ".logdata" file (nothing is written back). With --demo-catalogue the demo
// effects are written into a temporary folder and used as the installed
// catalogue.

#include "CL/Editor.h"
#include "DemoSfx.h"
#include "SfxHost.h"
#include "kit/Log.h"
#include "ui/QmlEngineSetup.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QTemporaryDir>

#include <exception>
#include <memory>

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  QGuiApplication::setApplicationName(QStringLiteral("sfx-host"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Sound-effect views on the player controller."));
  parser.addHelpOption();
  const QCommandLineOption demo(QStringLiteral("demo-catalogue"),
                                QStringLiteral("Use the demo sound effects as the installed catalogue."));
  parser.addOption(demo);
  parser.addPositionalArgument(QStringLiteral("logdata"), QStringLiteral("A change log to read (optional)."),
                               QStringLiteral("[logdata"));
  parser.addPositionalArgument(QStringLiteral("identity"), QStringLiteral("Its show's identity.json (optional)."),
                               QStringLiteral("[identity]]"));
  parser.process(app);
  const QStringList files = parser.positionalArguments();
  if (files.size() > 2) parser.showHelp(2);

  QTemporaryDir catalogueDir;
  if (parser.isSet(demo)) {
    if (!catalogueDir.isValid()) {
      kit::Log(kit::LogLevel::Error, "sfx-host", "No temporary folder for the demo catalogue.");
      return 1;
    }
    qputenv("XDG_DATA_DIRS", catalogueDir.path().toUtf8());
    vand::demo::WriteDemoSfx(catalogueDir.path().toStdString());
  }

  // The process's player controller keeps a store over this editor until the
  // process ends.
  static CL::Editor editor;
  try {
    if (!files.isEmpty())
      editor.LoadChangeLogFile(files.at(0).toStdString(), files.size() > 1 ? files.at(1).toStdString() : "");
  } catch (const std::exception& e) {
    kit::Log(kit::LogLevel::Error, "sfx-host", files.at(0).toStdString() + ": " + e.what());
    return 1;
  }

  QQmlEngine engine;
  vand::qt::PrepareQmlEngine(engine);
  QObject::connect(&engine, &QQmlEngine::quit, &app, &QGuiApplication::quit);
  std::unique_ptr<vand::sfxhost::SfxHost> host;
  try {
    host = std::make_unique<vand::sfxhost::SfxHost>(editor, engine);
  } catch (const std::exception& e) {
    kit::Log(kit::LogLevel::Error, "sfx-host", e.what());
    return 1;
  }
  host->ShowManager();
  return app.exec();
}
