#pragma once

// A private show server for a test: nginx on 127.0.0.1 at a free port, with
// its own prefix, configuration and served root in a temporary folder.
// Started and stopped by the test's thread; stopped by the destructor.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <string>

namespace vand::test {

class ShowServer
{
public:
    struct Options
    {
        bool tls = false;     // https with a self-signed certificate for "localhost"
        QByteArray rate;      // nginx limit_rate ("500k"); empty: no limit
        bool allowPut = true; // WebDAV PUT under shows/*/logs/
        QByteArray extra;     // more directives for the server block
    };

    explicit ShowServer(Options options);
    ShowServer();
    ~ShowServer();
    ShowServer(const ShowServer&) = delete;
    ShowServer& operator=(const ShowServer&) = delete;

    // Starts nginx and waits until it accepts connections; false with Error().
    bool Start();
    // Stops nginx by its pid and waits for it to end.
    void Stop();
    bool IsRunning() const;
    QString Error() const { return error_; }

    quint16 Port() const { return port_; }
    std::filesystem::path Root() const { return root_; }
    // "http://127.0.0.1:PORT/" (or https, with another host name).
    std::string ApiBase(const std::string& host = "127.0.0.1") const;
    // The self-signed certificate, which is its own CA (tls only).
    std::string CaFile() const;

    // Publishes a show folder into the root (tools/publish-show).
    void Publish(const std::filesystem::path& showFolder);
    // Writes bytes at a path under the root, replacing what was there.
    void WriteFile(const std::string& relative, const QByteArray& bytes);

private:
    bool MakeCertificate();
    void WriteConfig();

    Options options_;
    QTemporaryDir prefix_;
    std::filesystem::path root_;
    quint16 port_ = 0;
    std::unique_ptr<QProcess> process_;
    QString error_;
};

// Writes <dataFolder>/server.json naming the server.
void WriteServerJson(const std::filesystem::path& dataFolder, const std::string& apiBase,
                     const std::string& caFile = {});

} // namespace vand::test
