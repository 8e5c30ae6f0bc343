#include "ListRows.h"

#include <QMetaObject>
#include <QQuickItem>

namespace vand::test {

QQuickItem* ListRow(QObject* view, const QString& listName, int row)
{
    QObject* list = view ? view->findChild<QObject*>(listName) : nullptr;
    QQuickItem* delegate = nullptr;
    if (list)
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, delegate), Q_ARG(int, row));
    return delegate;
}

} // namespace vand::test
