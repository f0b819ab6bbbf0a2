#pragma once
// kletomer-cli run end to end: a fresh folder per test for its files, and
// the tool's exit code, standard output and standard error.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kltest {

struct CliRun {
    int code = -1;
    std::string out, err;
};

class CliFolderTest : public ::testing::Test {
protected:
    std::filesystem::path dir;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() / ("kletomer-cli-" + std::to_string(::getpid()) + "-" +
                                                        info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    // A .kvt file of a picture given as rows of '#' and '.'.
    void picture(const std::string& name, const std::vector<std::string>& rows) const
    {
        std::string s = "[Options]\r\nHeight=" + std::to_string(rows.size()) + "\r\nWidth=" + std::to_string(rows[0].size()) +
                        "\r\nCellSize=24\r\nWord=\r\n[Field]\r\n";
        for (size_t r = 0; r < rows.size(); ++r) {
            s += "Str" + std::to_string(r) + "=";
            for (char ch : rows[r]) s += ch == '#' ? ";-" : "; ";
            s += "\r\n";
        }
        write(name, s);
    }

    static std::string read(const std::string& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }

    // args is the rest of a shell command line after the program's name.
    CliRun runCli(const std::string& args) const
    {
        const std::string err = path("stderr.txt");
        CliRun r;
        FILE* p = ::popen((std::string(KLETOMER_CLI) + " " + args + " 2>" + err).c_str(), "r");
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
        const int status = ::pclose(p);
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = read(err);
        return r;
    }
};

} // namespace kltest
