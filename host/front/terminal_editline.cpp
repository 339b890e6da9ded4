// terminal_editline.cpp -- terminal lines with editing and history, when
// standard input is a terminal.
//
// The prompt and the echo go to standard error, like the plain reader's
// prompt, so that a listing on standard output stays clean.  A break
// (Ctrl-C) while a line is typed drops that line, as the plain reader does.
#include <editline/readline.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "front/terminal.h"
#include "host_api.h"

namespace qmlp::front {
namespace {

class EditLineSource : public LineSource {
  public:
    EditLineSource() {
        rl_instream = stdin;
        rl_outstream = stderr;
        using_history();
    }

    bool read_line(const char* prompt, std::string& line, bool* interrupted) override {
        host::progress_line_clear();
        *interrupted = false;
        line.clear();
        errno = 0;
        char* text = readline(prompt);
        if (text == nullptr) {
            if (errno != EINTR) {
                std::fputc('\n', stderr);  // the end of input ends the prompt's line
                return false;
            }
            *interrupted = true;
            std::fputc('\n', stderr);
            return true;
        }
        line = text;
        if (!line.empty()) add_history(text);
        std::free(text);
        return true;
    }
};

}  // namespace

std::unique_ptr<LineSource> make_editing_source_if_terminal() {
    if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDERR_FILENO) == 0) return nullptr;
    return std::make_unique<EditLineSource>();
}

}  // namespace qmlp::front
