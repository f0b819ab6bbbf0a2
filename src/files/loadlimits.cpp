#include "files/loadlimits.h"

#include "core/text.h"

namespace klt {

std::string sizeTooLargeText(const std::string& path, bool width, long long n)
{
    return "Файл " + path + " не открыт: " + (width ? "ширина" : "высота") + " поля " + decimal(n) +
           " больше допустимой (" + decimal(kMaxFileSide) + ").";
}

} // namespace klt
