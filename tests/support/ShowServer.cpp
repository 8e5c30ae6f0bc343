#include "ShowServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

#include "PublishShow.h"

namespace vand::test {

namespace fs = std::filesystem;

namespace {

bool WriteAll(const fs::path& file, const QByteArray& bytes)
{
    fs::create_directories(file.parent_path());
    QFile out(QString::fromStdString(file.string()));
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
}

quint16 FreePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

ShowServer::ShowServer(Options options)
    : options_(std::move(options))
{
    root_ = fs::path(prefix_.path().toStdString()) / "root";
    fs::create_directories(root_);
    fs::create_directories(fs::path(prefix_.path().toStdString()) / "tmp");
}

ShowServer::ShowServer()
    : ShowServer(Options{})
{
}

ShowServer::~ShowServer()
{
    Stop();
}

std::string ShowServer::ApiBase(const std::string& host) const
{
    return std::string(options_.tls ? "https://" : "http://") + host + ":" + std::to_string(port_) + "/";
}

std::string ShowServer::CaFile() const
{
    return prefix_.filePath(QStringLiteral("cert.pem")).toStdString();
}

bool ShowServer::MakeCertificate()
{
    if (QFile::exists(QString::fromStdString(CaFile())))
        return true;
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                   prefix_.filePath("key.pem"), "-out", prefix_.filePath("cert.pem"), "-days", "2", "-subj",
                   "/CN=localhost", "-addext", "subjectAltName=DNS:localhost"});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        error_ = QStringLiteral("openssl failed: ") + QString::fromLocal8Bit(openssl.readAllStandardError());
        return false;
    }
    return true;
}

void ShowServer::WriteConfig()
{
    const QByteArray prefix = prefix_.path().toUtf8();
    QByteArray conf;
    if (::geteuid() == 0)
        conf += "user root;\n";
    conf += "worker_processes 1;\npid " + prefix
            + "/nginx.pid;\nerror_log stderr warn;\n"
              "events { worker_connections 64; }\nhttp {\n  access_log off;\n";
    for (const char* temp : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        conf += QByteArray("  ") + temp + "_temp_path " + prefix + "/tmp/" + temp + ";\n";
    conf += "  types { application/json json; }\n  default_type application/octet-stream;\n  sendfile on;\n"
            "  server {\n    listen 127.0.0.1:"
            + QByteArray::number(port_) + (options_.tls ? " ssl" : "")
            + ";\n"
              "    root "
            + QByteArray(root_.string().c_str()) + ";\n";
    if (options_.tls)
        conf += "    ssl_certificate " + prefix + "/cert.pem;\n    ssl_certificate_key " + prefix + "/key.pem;\n";
    if (!options_.rate.isEmpty())
        conf += "    location ~ ^/shows/[^/]+/files/ { limit_rate " + options_.rate + "; }\n";
    if (options_.allowPut)
        conf += "    location ~ ^/shows/[^/]+/logs/[^/]+$ {\n"
                "      dav_methods PUT;\n      create_full_put_path on;\n      client_max_body_size 16m;\n    }\n";
    conf += "    " + options_.extra + "\n  }\n}\n";
    WriteAll(fs::path(prefix_.path().toStdString()) / "nginx.conf", conf);
}

bool ShowServer::Start()
{
    Stop();
    error_.clear();
    if (options_.tls && !MakeCertificate())
        return false;
    // A port found free may be taken before nginx binds it: try a few.
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = FreePort();
        if (port_ == 0) {
            error_ = QStringLiteral("no free port");
            return false;
        }
        WriteConfig();
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::ForwardedChannels);
        // nginx ends with the test, even when the test is killed.
        process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_->start(QStringLiteral("nginx"), {"-e", "stderr", "-p", prefix_.path(), "-c",
                                                  prefix_.filePath("nginx.conf"), "-g", "daemon off;"});
        if (!process_->waitForStarted(10000)) {
            error_ = QStringLiteral("nginx did not start: ") + process_->errorString();
            process_.reset();
            return false;
        }
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && process_->state() == QProcess::Running) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port_);
            if (probe.waitForConnected(200))
                return true;
            process_->waitForFinished(10);
        }
        error_ = QStringLiteral("nginx did not come up (its messages are above)");
        Stop();
    }
    return false;
}

void ShowServer::Stop()
{
    if (!process_)
        return;
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(10000)) {
            process_->kill();
            process_->waitForFinished(10000);
        }
    }
    process_.reset();
}

bool ShowServer::IsRunning() const
{
    return process_ && process_->state() == QProcess::Running;
}

void ShowServer::Publish(const fs::path& showFolder)
{
    vand::publish::PublishShow(showFolder, root_);
}

void ShowServer::WriteFile(const std::string& relative, const QByteArray& bytes)
{
    WriteAll(root_ / relative, bytes);
}

void WriteServerJson(const fs::path& dataFolder, const std::string& apiBase, const std::string& caFile)
{
    QByteArray json = "{\"apiBase\": \"" + QByteArray(apiBase.c_str()) + "\"";
    if (!caFile.empty())
        json += ", \"caFile\": \"" + QByteArray(caFile.c_str()) + "\"";
    json += "}\n";
    WriteAll(dataFolder / "server.json", json);
}

} // namespace vand::test
