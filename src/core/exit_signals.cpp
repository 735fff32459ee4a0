// The handler only writes the signal number into a socket; the GUI thread
// reads it and does the real work, as nothing else is safe inside a handler.
#include "core/exit_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace orvane {
namespace {

int gSignalSockets[2] = {-1, -1};

void onExitSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(gSignalSockets[0], &number, 1);
    errno = saved;
}

}  // namespace

ExitSignals::ExitSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (gSignalSockets[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gSignalSockets) != 0) {
        return;  // without the socket the default handlers stay: nothing is worse than before
    }
    notifier_ = std::make_unique<QSocketNotifier>(gSignalSockets[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char number = 0;
        while (::read(gSignalSockets[1], &number, 1) == 1) {
            if (onSignal_) onSignal_(number);
        }
    });
    struct sigaction action {};
    action.sa_handler = onExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(s, &action, nullptr);
}

ExitSignals::~ExitSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(s, &action, nullptr);
}

}  // namespace orvane
