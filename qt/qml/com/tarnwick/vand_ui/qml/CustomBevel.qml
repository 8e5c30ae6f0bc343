import QtQuick

// The raised bevel under a name of its own.
BasicBevel {
}
