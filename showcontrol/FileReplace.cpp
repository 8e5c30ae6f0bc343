#include "showcontrol/FileReplace.h"

#include <QSaveFile>

#include <stdexcept>

namespace vand::osc {

void ReplaceFileContent(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error(file.errorString().toStdString());
    // QSaveFile::commit does not notice a short write while flushing its
    // buffer, so the content is flushed and checked here; an uncommitted
    // file is discarded and the old one stays.
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error("the file could not be written completely (is the disk full?)");
    if (!file.commit())
        throw std::runtime_error(file.errorString().toStdString());
}

} // namespace vand::osc
