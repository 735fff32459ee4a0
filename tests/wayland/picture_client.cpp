// A Wayland client for the end-to-end tests: a full-screen window, left half red, right half blue, a 100 x 100 green
// square at (100, 100), that repaints on command ("fill RRGGBB X Y W H" on standard input) and logs "ready", "press
// B X Y", "release B X Y" (B 1 left, 3 right) and "filled" (once the repaint reached the compositor).
#include <unistd.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class Picture : public QWidget {
public:
    std::vector<std::pair<QColor, QRect>> fills;
    bool reportFill = false, readySaid = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(0, 0, width() / 2, height(), Qt::red);
        p.fillRect(width() / 2, 0, width() - width() / 2, height(), Qt::blue);
        p.fillRect(100, 100, 100, 100, Qt::green);
        for (const auto& [colour, rect] : fills) p.fillRect(rect, colour);
        if (std::exchange(reportFill, false)) QTimer::singleShot(50, [] { std::printf("filled\n"); });
        if (width() >= 1920 && !std::exchange(readySaid, true)) QTimer::singleShot(200, [] { std::printf("ready\n"); });
    }
    void mousePressEvent(QMouseEvent* e) override { log("press", e); }
    void mouseReleaseEvent(QMouseEvent* e) override { log("release", e); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { log("press", e); }
    static void log(const char* what, QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        std::printf("%s %d %d %d\n", what, e->button() == Qt::LeftButton ? 1 : 3, p.x(), p.y());
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line read as it comes
    Picture picture;
    picture.setWindowTitle(QStringLiteral("picture-client"));
    picture.setCursor(Qt::BlankCursor);
    picture.showFullScreen();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[256];  // (a line at a time: the tests wait for each fill)
        if (!std::fgets(line, sizeof line, stdin)) return QApplication::quit();
        unsigned colour = 0;
        int x = 0, y = 0, w = 0, h = 0;
        if (std::sscanf(line, "fill %x %d %d %d %d", &colour, &x, &y, &w, &h) != 5) return;
        picture.fills.push_back({QColor::fromRgb(colour), QRect(x, y, w, h)});
        picture.reportFill = true;
        picture.update(x, y, w, h);  // only that part changes on the screen
    });
    return QApplication::exec();
}
