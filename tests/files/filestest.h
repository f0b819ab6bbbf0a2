#pragma once
// Fixtures of the file tests: a scratch folder, byte-exact file access, a
// host that records its boxes, and a cap on the size of written files.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "core/document.h"
#include "core/sizecontrols.h"
#include "core/workspace.h"

namespace kltest {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kletomer-files-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Counts the size changes the document announces; when given controls, they
// follow the field as a window's would.
struct SizeFollower : klt::DocumentObserver {
    int syncs = 0;
    klt::SizeControls* controls = nullptr;
    klt::Workspace* ws = nullptr;

    void sizeChanged() override
    {
        ++syncs;
        if (controls && ws) controls->sync(*ws);
    }
};

// A workspace whose size changes are followed, its field cols x rows.
struct Puzzle {
    SizeFollower host;
    klt::Workspace ws;
    klt::SizeControls controls;

    Puzzle(int cols = 5, int rows = 5)
    {
        ws.doc.addObserver(&host);
        ws.doc.field().setSize(cols, rows);
    }
    void withControls()
    {
        host.controls = &controls;
        host.ws = &ws;
    }
    void setRow(int r, const std::vector<std::string>& texts)
    {
        for (size_t c = 0; c < texts.size(); ++c) ws.doc.field().setText(static_cast<int>(c), r, texts[c]);
    }
    std::vector<std::string> row(int r) const
    {
        std::vector<std::string> out;
        for (int c = 0; c < ws.doc.field().colCount(); ++c) out.push_back(ws.doc.field().text(c, r));
        return out;
    }
};

// Makes writes beyond `bytes` fail (EFBIG) while it lives, the way a full
// disk would.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit capped = saved_;
        capped.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~FileSizeCap() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

} // namespace kltest
