// Opening web and mail links through Qt (QDesktopServices, never a shell
// command line); shared by every backend.
#pragma once

#include "platform/platform.h"

namespace orvane::platform {

class QtShell : public Shell {
public:
    bool openLink(const std::string& target) override;
};

// The URL a link text stands for: web addresses as they are, an e-mail
// address with or without "mailto:" as a mailto: URL.
std::string linkUrl(const std::string& target);

}  // namespace orvane::platform
