#pragma once

#include <QString>

class QObject;
class QQuickItem;

namespace vand::test {

// The delegate of a row of the ListView with the object name listName below
// view (ListView::itemAtIndex); null when there is no such list or the row's
// delegate is not made. Delegates have no QObject parent, so findChild does
// not reach them; it does reach what a delegate declares.
QQuickItem* ListRow(QObject* view, const QString& listName, int row);

} // namespace vand::test
