// terminal.cpp -- line input from the terminal with prompts.
#include "front/terminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "front/attention.h"
#include "front/front_services.h"

namespace qmlp::front {
namespace {

constexpr size_t kReadChunk = 4096;
// Longest line kept; the rest of a longer line is dropped with a warning.
constexpr size_t kMaxLine = 1 << 20;

class FdLineSource : public LineSource {
  public:
    FdLineSource(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~FdLineSource() override {
        if (owned_) ::close(fd_);
    }

    bool read_line(const char* prompt, std::string& line, bool* interrupted) override {
        host::progress_line_clear();
        *interrupted = false;
        line.clear();
        (void)!::write(STDERR_FILENO, prompt, std::strlen(prompt));
        bool too_long = false;
        for (;;) {
            size_t nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                if (!too_long) line.append(buffer_, 0, nl);
                buffer_.erase(0, nl + 1);
                if (too_long) log_warning("A terminal line longer than 1 MB was dropped.");
                return true;
            }
            if (buffer_.size() > kMaxLine) {
                buffer_.clear();
                too_long = true;
            }
            char chunk[kReadChunk];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n > 0) {
                buffer_.append(chunk, static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR) {
                buffer_.clear();
                *interrupted = true;
                (void)!::write(STDERR_FILENO, "\n", 1);
                return true;
            }
            if (!buffer_.empty() && !too_long) {  // a last line without newline
                line.swap(buffer_);
                buffer_.clear();
                return true;
            }
            return false;
        }
    }

  private:
    int fd_;
    bool owned_;
    std::string buffer_;
};

bool is_bare_command(const std::string& line) {
    std::string word;
    for (char c : line)
        if (c != ' ' && c != '\t' && c != '\r') word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word == "HELP" || word == "QUIT";
}

}  // namespace

std::unique_ptr<LineSource> make_fd_line_source(int fd) { return std::make_unique<FdLineSource>(fd, false); }

std::unique_ptr<LineSource> make_terminal_source(bool program_from_stdin) {
    if (!program_from_stdin) {
        if (auto editing = make_editing_source_if_terminal()) return editing;
        return make_fd_line_source(STDIN_FILENO);
    }
    const int fd = ::open("/dev/tty", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<FdLineSource>(fd, true);
}

bool TerminalReader::read_statement(Statement& out) {
    // After the end of the input (Ctrl-D at a terminal) nothing more is
    // asked for, unless a break asks for a pause at the terminal.
    if (ended_ && !attention_terminal_requested()) return false;
    for (;;) {
        if (splitter_.next(out)) return true;
        check_interrupt();
        services().flush();
        std::string line;
        bool interrupted = false;
        if (!source_) return false;
        attention_prompt_begin();
        const bool got = source_->read_line(splitter_.partial() ? kContinuationPrompt : kPrompt, line, &interrupted);
        attention_prompt_end();
        if (!got) {
            splitter_.discard_partial();
            ended_ = true;
            return false;
        }
        check_interrupt();
        if (interrupted) {
            splitter_.discard_partial();
            continue;
        }
        // A bare HELP or QUIT is complete without its ";".
        if (!splitter_.partial() && is_bare_command(line)) line += ';';
        line += '\n';
        splitter_.feed(line);
        for (const SplitProblem& p : splitter_.take_problems()) log_warning(p.text);
    }
}

}  // namespace qmlp::front
