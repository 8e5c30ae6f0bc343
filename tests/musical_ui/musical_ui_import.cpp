// Brings the application's view module into the Qt Quick test runner.
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(com_tarnwick_musical_uiPlugin)
