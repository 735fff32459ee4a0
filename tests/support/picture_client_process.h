// The Wayland end-to-end tests' picture client (tests/wayland/picture_client.cpp)
// run as a process: its log read as it comes, its commands sent, and the
// helpers that read what it shows.
#pragma once

#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace orvane::test {

inline QRgb rgb(QRgb p) { return p & 0xffffffu; }

// The bounding box of the pixels of one colour.
inline QRect boxOf(const QImage& image, QRgb colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (rgb(line[x]) == colour) box |= QRect(x, y, 1, 1);
    }
    return box;
}

// A program the test starts: the session's readable copy (named in the
// environment by the session script), else the build's.
inline QString ProgramPath(const char* name, const char* built) {
    return qEnvironmentVariable(name, QString::fromUtf8(built));
}

class PictureClient {
public:
    explicit PictureClient(const QString& program) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
            while (process_.canReadLine()) log_ << QString::fromUtf8(process_.readLine()).trimmed();
        });
        process_.start(program, {});
    }
    ~PictureClient() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(3000)) process_.kill();
        process_.waitForFinished(3000);
    }
    PictureClient(const PictureClient&) = delete;
    PictureClient& operator=(const PictureClient&) = delete;

    bool waitForLine(const QString& line, int ms = 10000) { return waitForCount(line, 1, ms); }
    bool waitForCount(const QString& line, int n, int ms = 10000) {
        return QTest::qWaitFor([&] { return log_.count(line) >= n; }, ms);
    }
    void send(const QByteArray& command) { process_.write(command + "\n"); }
    QStringList& log() { return log_; }

private:
    QProcess process_;
    QStringList log_;
};

// Orvane started as a user starts it, its settings file (text as written)
// in a folder of its own.
struct OrvaneRun {
    QTemporaryDir config;
    QProcess process;

    bool start(const QString& program, const QString& settings,
               QProcess::ProcessChannelMode channels = QProcess::ForwardedChannels) {
        QFile file(config.filePath(QStringLiteral("Orvane.ini")));
        if (!config.isValid() || !file.open(QIODevice::WriteOnly) || file.write(settings.toUtf8()) < 0) return false;
        file.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ORVANE_CONFIG_DIR"), config.path());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(channels);
        process.start(program, {});
        return process.waitForStarted();
    }
};

}  // namespace orvane::test
