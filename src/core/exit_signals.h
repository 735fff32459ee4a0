// Ending the program from outside (SIGTERM, SIGINT, SIGHUP at logout or
// shutdown) closes the main window the way the user would, so its unload
// saves the settings and undoes temporary display changes.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace orvane {

class ExitSignals : public QObject {
    Q_OBJECT
public:
    // onSignal runs on the GUI thread, once per signal received.
    explicit ExitSignals(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
    ~ExitSignals() override;

private:
    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace orvane
