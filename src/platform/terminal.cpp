// Console output and key input: plain stdout/stderr lines and a raw single-key read.
#include "platform/terminal.h"

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace millconv {

namespace {

void WriteLine(FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

void PrintLine(std::string_view text) { WriteLine(stdout, text); }

void PrintErrorLine(std::string_view text) { WriteLine(stderr, text); }

bool ConsoleOutputFailed() { return std::ferror(stdout) != 0 || std::ferror(stderr) != 0; }

void WaitForKey() {
    // Without a terminal nobody can press a key: waiting would hang scripts for ever.
    if (isatty(STDIN_FILENO) == 0) {
        return;
    }
    struct termios saved {};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) {
        return;
    }
    struct termios raw = saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    char key = 0;
    while (read(STDIN_FILENO, &key, 1) < 0) {
        // retry after signals
    }
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

void SetConsoleTitle(std::string_view title) {
    if (isatty(STDOUT_FILENO) == 0) {
        return;
    }
    std::string sequence = "\033]0;";
    sequence.append(title);
    sequence += '\a';
    std::fwrite(sequence.data(), 1, sequence.size(), stdout);
    std::fflush(stdout);
}

} // namespace millconv
