#pragma once

// Replaces a file's content whole: the bytes go to a temporary file beside it,
// which is flushed to disk and renamed over the file. A failure leaves the old
// file as it was and no temporary file behind.
//
// Threads: any; blocking file I/O on the caller's thread.

#include <QByteArray>
#include <QString>

namespace vand::osc {

// Throws std::runtime_error whose text is the reason (e.g. "Permission
// denied"), without the file's name.
void ReplaceFileContent(const QString& fileName, const QByteArray& bytes);

} // namespace vand::osc
