// Opens documents and links with xdg-open, detached so the caller never waits on it.
#include "platform/shell.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace millconv {

void OpenDocument(const std::string& target) {
    pid_t child = fork();
    if (child < 0) {
        return;
    }
    if (child == 0) {
        // The intermediate child exits at once, so the opener is reparented and never
        // becomes our zombie. Only async-signal-safe calls below.
        setsid();
        if (fork() == 0) {
            int devNull = open("/dev/null", O_RDWR);
            if (devNull >= 0) {
                dup2(devNull, STDIN_FILENO);
                dup2(devNull, STDOUT_FILENO);
                dup2(devNull, STDERR_FILENO);
            }
            execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

} // namespace millconv
