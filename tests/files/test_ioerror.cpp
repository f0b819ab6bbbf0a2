#include <cerrno>
#include <gtest/gtest.h>

#include "files/ioerror.h"

using namespace klt;

namespace {

TEST(IoErrorText, TellingCodesHaveTheirTexts)
{
    const std::pair<int, const char*> cases[] = {
        {2, "Файл не найден"},
        {3, "Путь не найден"},
        {4, "Слишком много открытых файлов"},
        {5, "Доступ к файлу запрещен"},
        {32, "Ошибка разделения совместного доступа к файлу"},
        {100, "Ошибка чтения"},
        {101, "Ошибка записи"},
        {103, "Файл не открыт"},
        {104, "Файл не открыт для ввода"},
        {106, "Неверный числовой формат"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(ioErrorText(code), text) << code;
}

TEST(IoErrorText, ListedCodesHaveOwnTextsAndOthersAFallback)
{
    const std::pair<int, int> listed[] = {{1, 13},    {15, 39},   {50, 72},   {80, 80}, {82, 88},
                                          {100, 106}, {150, 162}, {200, 217}, {219, 219}};
    int count = 0;
    for (int code = -5; code <= 300; ++code) {
        bool inList = false;
        for (const auto& [first, last] : listed) inList = inList || (code >= first && code <= last);
        const std::string fallback = "Ошибка " + std::to_string(code);
        if (inList) {
            ++count;
            EXPECT_NE(ioErrorText(code), fallback) << code;
            EXPECT_FALSE(ioErrorText(code).empty()) << code;
        } else {
            EXPECT_EQ(ioErrorText(code), fallback) << code;
        }
    }
    EXPECT_EQ(count, 108);
}

TEST(IoErrorText, FailedOpensMapToTheirCodes)
{
    const std::pair<int, int> cases[] = {{ENOENT, 2}, {ENOTDIR, 3}, {EMFILE, 4}, {EACCES, 5},
                                         {EISDIR, 5}, {ENOSPC, 39}, {EIO, 30},   {EPROTO, 100}};
    for (const auto& [err, code] : cases) EXPECT_EQ(ioCodeFromErrno(err), code) << err;
}

} // namespace
