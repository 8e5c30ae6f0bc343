import QtQuick

// The score pages.
Item {
}
