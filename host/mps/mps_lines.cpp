// mps_lines.cpp -- line splitting over memory and (gzip) files.
#include "mps/mps_lines.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qmlp::host::mps {

int LineSource::next(std::string& line) {
    for (;;) {
        std::size_t newline = pending_.find('\n', start_);
        if (newline != std::string::npos) {
            std::size_t stop = newline;
            if (stop > start_ && pending_[stop - 1] == '\r') --stop;
            if (stop - start_ > kMaxLineLength) {
                error_ = "line longer than " + std::to_string(kMaxLineLength) + " characters";
                return -1;
            }
            line.assign(pending_, start_, stop - start_);
            start_ = newline + 1;
            return 1;
        }
        if (pending_.size() - start_ > kMaxLineLength + 1) {
            error_ = "line longer than " + std::to_string(kMaxLineLength) + " characters";
            return -1;
        }
        if (at_end_) {
            if (start_ >= pending_.size()) return 0;
            std::size_t stop = pending_.size();
            if (pending_[stop - 1] == '\r') --stop;
            line.assign(pending_, start_, stop - start_);
            start_ = pending_.size();
            return 1;
        }
        // Keep only the unfinished line, then append the next chunk.
        pending_.erase(0, start_);
        start_ = 0;
        std::size_t old_size = pending_.size();
        pending_.resize(old_size + kChunk);
        long got = fill(pending_.data() + old_size, kChunk);
        if (got < 0) return -1;
        pending_.resize(old_size + static_cast<std::size_t>(got));
        if (got == 0) at_end_ = true;
    }
}

long TextLineSource::fill(char* buffer, std::size_t capacity) {
    std::size_t n = std::min(capacity, text_.size() - offset_);
    std::memcpy(buffer, text_.data() + offset_, n);
    offset_ += n;
    return static_cast<long>(n);
}

FileLineSource::~FileLineSource() {
    if (gz_ != nullptr) gzclose(static_cast<gzFile>(gz_));
}

bool FileLineSource::open(const std::string& path) {
    errno = 0;
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) {
        error_ = std::string("cannot open: ") + (errno != 0 ? std::strerror(errno) : "out of memory");
        return false;
    }
    gz_ = file;
    return true;
}

long FileLineSource::fill(char* buffer, std::size_t capacity) {
    gzFile file = static_cast<gzFile>(gz_);
    int got = gzread(file, buffer, static_cast<unsigned>(capacity));
    int errnum = Z_OK;
    const char* message = gzerror(file, &errnum);
    // zlib reports a gzip stream cut short as Z_BUF_ERROR while still
    // returning the bytes it could decompress; either way the input is bad.
    if (got < 0 || (errnum != Z_OK && errnum != Z_STREAM_END)) {
        if (errnum == Z_ERRNO) {
            error_ = std::string("read failed: ") + std::strerror(errno);
        } else if (errnum == Z_BUF_ERROR) {
            error_ = "truncated gzip data (unexpected end of file)";
        } else {
            error_ = std::string("corrupt gzip data (") + (message != nullptr ? message : "unknown") + ")";
        }
        return -1;
    }
    return got;
}

}  // namespace qmlp::host::mps
