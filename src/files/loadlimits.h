#pragma once
// What the file readers share: the largest field a file may ask for.
#include <string>

#include "core/field.h"

namespace klt {

// Sizes above this per side are refused before the field is touched: the
// store keeps every cell, so a file must not be able to demand billions.
constexpr int kMaxFileSide = kMaxFieldSide;

// "Файл <path> не открыт: ширина поля <n> больше допустимой (4096)." and the
// same with "высота" for rows.
std::string sizeTooLargeText(const std::string& path, bool width, long long n);

} // namespace klt
