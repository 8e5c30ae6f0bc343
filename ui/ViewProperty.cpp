#include "ui/ViewProperty.h"

#include <QMetaProperty>
#include <QObject>
#include <QSet>
#include <string>

#include "kit/Log.h"

namespace vand::qt {

namespace {

std::string Describe(const QObject* view, const char* name)
{
    std::string text = "\"";
    text += name;
    text += "\" of the view ";
    text += view->metaObject()->className();
    if (!view->objectName().isEmpty())
        text += " \"" + view->objectName().toStdString() + "\"";
    return text;
}

// Whether a failed write of name on view is to be reported now.
bool ShouldReport(const QObject* view, const char* name, ViewPropertyReport report)
{
    if (report == ViewPropertyReport::Always)
        return true;
    static QSet<QByteArray> reported;
    const QByteArray key = QByteArray(view->metaObject()->className()) + '.' + name;
    if (reported.contains(key))
        return false;
    reported.insert(key);
    return true;
}

} // namespace

bool SetViewProperty(QObject* view, const char* name, const QVariant& value, ViewPropertyReport report)
{
    if (!view)
        return false;
    const QMetaObject* meta = view->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0) {
        if (ShouldReport(view, name, report))
            kit::Log(kit::LogLevel::Error, "ui", "No property " + Describe(view, name));
        return false;
    }
    if (!meta->property(index).write(view, value)) {
        if (ShouldReport(view, name, report))
            kit::Log(kit::LogLevel::Error, "ui",
                     "The property " + Describe(view, name) + " refused a value of type "
                         + (value.metaType().isValid() ? value.metaType().name() : "none"));
        return false;
    }
    return true;
}

} // namespace vand::qt
