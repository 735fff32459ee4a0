#include "platform/desktop/desktop_display_store.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <atomic>
#include <cstdlib>
#include <thread>

namespace orvane::platform::desktop {

Desktop desktopNamed(std::string_view currentDesktop) {
    const QStringList names = QString::fromUtf8(currentDesktop.data(), static_cast<qsizetype>(currentDesktop.size()))
                                  .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (name.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0) return Desktop::Gnome;
        if (name.compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0) return Desktop::Kde;
        if (name.compare(QLatin1String("XFCE"), Qt::CaseInsensitive) == 0) return Desktop::Xfce;
    }
    return Desktop::Other;
}

Desktop currentDesktop() {
    const char* name = std::getenv("XDG_CURRENT_DESKTOP");
    return desktopNamed(name != nullptr ? name : "");
}

bool keepWithoutBlocking(DisplayStore& store, const KeptMode& mode, std::string& why) {
    if (QCoreApplication::instance() == nullptr) return store.keep(mode, why);
    QEventLoop loop;
    std::atomic<bool> done{false};
    bool kept = false;
    std::string reason;
    std::thread worker([&] {
        kept = store.keep(mode, reason);
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done) loop.exec();
    worker.join();
    why = reason;
    return kept;
}

std::unique_ptr<DisplayStore> storeOf(Desktop desktop) {
    switch (desktop) {
        case Desktop::Gnome:
            return gnomeStore();
        case Desktop::Kde:
            return kscreenStore();
        case Desktop::Xfce:
            return xfconfStore();
        case Desktop::Other:
            break;
    }
    return nullptr;
}

}  // namespace orvane::platform::desktop
