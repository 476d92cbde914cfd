// SPDX-License-Identifier: GPL-3.0-or-later
// A child process for the settings tests:
//   settings_helper save-loop PATH   saves two settings in turn into PATH
//                                    until killed; writes one byte to
//                                    standard output once it has begun
//   settings_helper locate PROGRAM USER
//                                    prints the chosen path, a line break and
//                                    1 or 0 for whether it can be used
//   settings_helper write PATH TEXT  replaces the file at PATH with TEXT;
//                                    exits with 0 when it was written, else 1
// A test drops to another user or kills it at a random moment.
#include "save_loop.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

#include <cstdio>
#include <cstring>

#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "save-loop") == 0) {
        const SettingsFile file(SettingsLocation{QString::fromLocal8Bit(argv[2])});
        bool second = true;
        if (::write(STDOUT_FILENO, "s", 1) != 1)
            return 1;
        for (;;) {
            if (file.save(saveLoopSettings(second)))
                return 2;
            second = !second;
        }
    }
    if (argc == 4 && std::strcmp(argv[1], "locate") == 0) {
        const SettingsLocation location
            = locateSettingsFile(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        std::printf("%s\n%d\n", qPrintable(location.path), location.usable ? 1 : 0);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return Profile::writeFile(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3])) ? 0 : 1;
    std::fprintf(
        stderr, "usage: settings_helper save-loop PATH | locate PROGRAM USER | write PATH TEXT\n");
    return 64;
}
