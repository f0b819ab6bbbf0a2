#pragma once
// Line-by-line reading of a text file that never holds more than a bounded
// part of one line, so that a file without line breaks (or a huge one) cannot
// exhaust memory. Lines end at LF; a CR right before the LF is dropped, any
// other CR stays part of the line.
#include <cstddef>
#include <string>
#include <vector>

namespace klt {

class LineReader {
public:
    // What lay beyond the kept part of the last line: whether anything was
    // cut, and the last character that is neither a blank nor a tab.
    struct Tail {
        bool cut = false;
        bool nonBlank = false;
        char lastNonBlank = 0;
    };

    // limit: how many bytes of each line are kept.
    explicit LineReader(std::size_t limit = std::string::npos);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // 0 on success, else the errno of the failed open.
    int open(const std::string& path);
    void close();

    // Reads the next line into line. False at the end of the file or on a
    // read error (line is then empty; error() tells which).
    bool next(std::string& line);
    int error() const { return error_; }
    const Tail& tail() const { return tail_; }

private:
    bool fill();
    void put(std::string& line, char c);

    std::size_t limit_;
    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, len_ = 0;
    bool eof_ = false;
    int error_ = 0;
    Tail tail_;
};

} // namespace klt
