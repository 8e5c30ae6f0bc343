import QtQuick

// The mixer view, hosted by the edit panel.
Item {
}
