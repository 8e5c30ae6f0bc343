#include "ui/ViewProperty.h"

#include <QMetaProperty>
#include <QObject>
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

} // namespace

bool SetViewProperty(QObject* view, const char* name, const QVariant& value)
{
    if (!view)
        return false;
    const QMetaObject* meta = view->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0) {
        kit::Log(kit::LogLevel::Error, "ui", "No property " + Describe(view, name));
        return false;
    }
    if (!meta->property(index).write(view, value)) {
        kit::Log(kit::LogLevel::Error, "ui",
                 "The property " + Describe(view, name) + " refused a value of type "
                     + (value.metaType().isValid() ? value.metaType().name() : "none"));
        return false;
    }
    return true;
}

} // namespace vand::qt
