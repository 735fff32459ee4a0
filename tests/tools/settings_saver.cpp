// Saves the settings over and over, alternating between two sets that differ
// in every key, until it is killed: the settings-file crash test's subject.
// Prints "saved" once the first save is done.
#include <cstdio>

#include "core/app_state.h"
#include "core/settings.h"
#include "settings_sets.h"

int main() {
    using namespace orvane;
    for (long i = 0;; ++i) {
        AppState = i % 2 == 0 ? test::SettingsSetA() : test::SettingsSetB();
        SaveSettings();
        if (i == 0) {
            std::puts("saved");
            std::fflush(stdout);
        }
    }
}
