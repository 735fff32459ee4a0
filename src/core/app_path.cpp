// Works out the program folder from the running executable.
#include "core/app_path.h"

#include <QCoreApplication>

namespace orvane {

std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string ProgramFolder() {
    return WithTrailingSeparator(QCoreApplication::applicationDirPath().toStdString());
}

}  // namespace orvane
