#include "files/linereader.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace klt {

LineReader::LineReader(std::size_t limit) : limit_(limit), buffer_(64 * 1024) {}

LineReader::~LineReader()
{
    close();
}

int LineReader::open(const std::string& path)
{
    close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return errno;
    pos_ = len_ = 0;
    eof_ = false;
    error_ = 0;
    return 0;
}

void LineReader::close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool LineReader::fill()
{
    if (fd_ < 0 || eof_ || error_) return false;
    for (;;) {
        ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n > 0) {
            pos_ = 0;
            len_ = static_cast<std::size_t>(n);
            return true;
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        if (errno != EINTR) {
            error_ = errno;
            return false;
        }
    }
}

void LineReader::put(std::string& line, char c)
{
    if (line.size() < limit_) {
        line.push_back(c);
        return;
    }
    tail_.cut = true;
    if (c != ' ' && c != '\t') {
        tail_.nonBlank = true;
        tail_.lastNonBlank = c;
    }
}

bool LineReader::next(std::string& line)
{
    line.clear();
    tail_ = {};
    bool any = false;
    bool pendingCr = false;
    for (;;) {
        if (pos_ >= len_ && !fill()) break;
        char c = buffer_[pos_++];
        any = true;
        if (c == '\n') return true;
        if (pendingCr) put(line, '\r');
        pendingCr = c == '\r';
        if (!pendingCr) put(line, c);
    }
    if (error_) {
        line.clear();
        return false;
    }
    if (pendingCr) put(line, '\r');
    return any;
}

} // namespace klt
