// What the Wayland and GNOME end-to-end tests share: their picture client (tests/wayland/picture_client.cpp) run as
// a process, its log read as it comes, and Orvane started as a user starts it. The session scripts name the
// programs in the environment (PICTURE_CLIENT, ORVANE_BINARY ...).
#pragma once

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <optional>
#include <utility>

namespace orvane::test {

constexpr QRgb kBlue = 0x0000ff, kGreen = 0x00ff00, kYellow = 0xffff00;

inline QRgb rgb(QRgb p) { return p & 0xffffffu; }

// The picture client, its log lines gathered as they come. The log outlives the process, whose end (in its
// destructor) may still deliver lines.
struct PictureClient {
    QStringList log;
    QProcess process;

    explicit PictureClient(const QString& program) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] {
            while (process.canReadLine()) log << QString::fromUtf8(process.readLine()).trimmed();
        });
        process.start(program, {});
    }
    bool waitForLine(const char* line, int n = 1) {
        return QTest::qWaitFor([&] { return log.count(QLatin1String(line)) >= n; }, 10000);
    }
    void send(const QByteArray& command) { process.write(command + "\n"); }
};

// Orvane with a settings file of its own in a folder of its own, watching
// `display` at 50 %; its standard error is kept to be read.
struct OrvaneRun {
    QTemporaryDir config;
    QProcess process;

    bool start(const QString& program, int interval, const char* display, const QByteArray& more = {}) {
        QFile file(config.filePath(QStringLiteral("Orvane.ini")));
        if (!file.open(QIODevice::WriteOnly) || file.write("[Main]\r\nDisplay=" + QByteArray(display) +
                                                           "\r\nZoom= 50\r\nInterval= " + QByteArray::number(interval) +
                                                           "\r\nCursor= 4\r\nDoubleClick= 3\r\n" + more) < 0)
            return false;
        file.close();
        qputenv("ORVANE_CONFIG_DIR", config.path().toLocal8Bit());
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        process.start(program, {});
        return process.waitForStarted();
    }
    // The view's corner on the screen `shot` reads, once the view shows the
    // client's green square (50 pixels wide, 50 pixels from the view's corner)
    // at the same place in two shots: the window may still be taking its size.
    std::optional<QPoint> viewCorner(const std::function<QImage()>& shot) {
        QRect green, before;
        const auto shown = [&] {
            const QImage image = shot();
            before = std::exchange(green, QRect());
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (rgb(image.pixel(x, y)) == kGreen) green |= QRect(x, y, 1, 1);
            return green.size() == QSize(50, 50) && green == before;
        };
        if (!QTest::qWaitFor(shown, 20000)) return std::nullopt;
        return green.topLeft() - QPoint(50, 50);
    }
    // Ends it as the desktop does; true when it closed cleanly.
    bool stop() {
        process.terminate();
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }
};

}  // namespace orvane::test
