#include "ax/open_address.h"

#include <sys/wait.h>
#include <unistd.h>

namespace morvanta {

void openAddress(const char* address) {
    // Two forks, so the browser launcher is nobody's zombie.
    const pid_t child = fork();
    if (child == 0) {
        if (fork() == 0) {
            execlp("xdg-open", "xdg-open", address, static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    if (child > 0)
        waitpid(child, nullptr, 0);
}

} // namespace morvanta
