// program_text.cpp -- reading the text of a program in pieces.
#include "front/program_text.h"

#include <cstring>

namespace qmlp::front {
namespace {

constexpr std::size_t kPieceBytes = 64 * 1024;
constexpr char kBom[] = "\xEF\xBB\xBF";

}  // namespace

ProgramRead read_program_text(std::istream& in, std::string& text, std::size_t* line) {
    text.clear();
    std::string piece(kPieceBytes, '\0');
    // The bytes since the last ';' bound the statement being read from
    // above: a ';' inside a quote or a comment only makes the count
    // smaller, so no statement that fits is ever refused.
    std::size_t since_end = 0;
    std::size_t lines = 1;
    std::size_t statement_line = 1;
    bool started = false;  // a byte other than a blank since the last ';'
    for (;;) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        for (std::size_t k = 0; k < got; ++k) {
            const char c = piece[k];
            if (!started && c != ' ' && c != '\t' && c != '\n' && c != '\r') {
                started = true;
                statement_line = lines;
            }
            if (c == ';') {
                since_end = 0;
                started = false;
            } else if (++since_end > kMaxStatementBytes) {
                if (line != nullptr) *line = statement_line;
                text.clear();
                return ProgramRead::kStatementTooLong;
            }
            if (c == '\n') ++lines;
        }
        text.append(piece.data(), got);
        if (got < piece.size()) break;
    }
    if (in.bad()) return ProgramRead::kReadFailed;
    if (text.compare(0, std::strlen(kBom), kBom) == 0) text.erase(0, std::strlen(kBom));
    return ProgramRead::kOk;
}

}  // namespace qmlp::front
