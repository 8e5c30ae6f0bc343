#pragma once

// What the tests of the audio devices and output paths share: whole-file
// reads and writes, the log lines written while a test runs, and a folder
// that refuses changes.

#include <QDir>
#include <QFile>
#include <QString>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kit/Log.h"

namespace audio_test {

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// Replaces the file's content; false when it cannot be written.
inline bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The lines written through kit::Log while it lives ("area: text").
class LogLines
{
public:
    LogLines()
    {
        kit::SetLogSink([this](kit::LogLevel, std::string_view area, std::string_view text) {
            lines.push_back(std::string(area) + ": " + std::string(text));
        });
    }
    ~LogLines() { kit::SetLogSink(nullptr); }

    std::vector<std::string> lines;
};

// A folder in which no file can be created, renamed or removed while this
// lives: read-only, and for a process that ignores that (root) immutable as
// well. Ok() tells whether the folder refuses a new file.
class LockedFolder
{
public:
    explicit LockedFolder(const QString& path)
        : path_(path)
    {
        ::chmod(path.toLocal8Bit().constData(), 0555);
        if (Refuses())
            return;
        SetImmutable(true);
        immutable_ = true;
    }
    ~LockedFolder()
    {
        if (immutable_)
            SetImmutable(false);
        ::chmod(path_.toLocal8Bit().constData(), 0755);
    }
    bool Ok() const { return Refuses(); }

private:
    bool Refuses() const
    {
        const QString probe = QDir(path_).filePath(QStringLiteral(".probe"));
        QFile file(probe);
        if (!file.open(QIODevice::WriteOnly))
            return true;
        file.close();
        QFile::remove(probe);
        return false;
    }
    void SetImmutable(bool on) const
    {
        const int fd = ::open(path_.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }

    QString path_;
    bool immutable_ = false;
};

} // namespace audio_test
