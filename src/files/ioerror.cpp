#include "files/ioerror.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

#include "core/text.h"

namespace klt {

namespace {

struct CodeText {
    int code;
    const char* text;
};

// Sorted by code. Codes 1..88 are the system's file errors, 100..106 the
// file-variable errors, 150..162 the device errors, 200..219 run-time errors.
constexpr CodeText kTexts[] = {
    {1, "Неверная функция"},
    {2, "Файл не найден"},
    {3, "Путь не найден"},
    {4, "Слишком много открытых файлов"},
    {5, "Доступ к файлу запрещен"},
    {6, "Неверный описатель файла"},
    {7, "Разрушены блоки управления памятью"},
    {8, "Недостаточно памяти"},
    {9, "Неверный адрес блока памяти"},
    {10, "Неверное окружение"},
    {11, "Неверный формат"},
    {12, "Неверный код доступа к файлу"},
    {13, "Неверные данные"},
    {15, "Неверно указан диск"},
    {16, "Нельзя удалить текущую папку"},
    {17, "Нельзя переместить файл на другой диск"},
    {18, "Больше нет файлов"},
    {19, "Диск защищен от записи"},
    {20, "Устройство не найдено"},
    {21, "Устройство не готово"},
    {22, "Устройство не распознает команду"},
    {23, "Ошибка в данных (CRC)"},
    {24, "Неверная длина запроса"},
    {25, "Ошибка поиска на диске"},
    {26, "Неизвестный формат диска"},
    {27, "Сектор не найден"},
    {28, "В принтере нет бумаги"},
    {29, "Ошибка записи на устройство"},
    {30, "Ошибка чтения с устройства"},
    {31, "Устройство не работает"},
    {32, "Ошибка разделения совместного доступа к файлу"},
    {33, "Часть файла заблокирована другим процессом"},
    {34, "В устройство вставлен не тот диск"},
    {35, "Нет свободных блоков управления файлами"},
    {36, "Переполнен буфер совместного доступа"},
    {37, "Неверная кодовая страница"},
    {38, "Достигнут конец файла"},
    {39, "Диск заполнен"},
    {50, "Запрос не поддерживается"},
    {51, "Удаленный компьютер недоступен"},
    {52, "Такое имя уже есть в сети"},
    {53, "Сетевой путь не найден"},
    {54, "Сеть занята"},
    {55, "Сетевой ресурс недоступен"},
    {56, "Слишком много команд сети"},
    {57, "Аппаратная ошибка сетевого адаптера"},
    {58, "The server cannot perform the requested operation"},
    {59, "An unexpected network error occurred"},
    {60, "The remote adapter is not compatible"},
    {61, "The printer queue is full"},
    {62, "Space to store the file waiting to be printed is not available on the server"},
    {63, "Your file waiting to be printed was deleted"},
    {64, "The network name is no longer available"},
    {65, "Network access is denied"},
    {66, "The network resource type is not correct"},
    {67, "The network name cannot be found"},
    {68, "The name limit for the local computer network adapter card was exceeded"},
    {69, "The network session limit was exceeded"},
    {70, "The remote server has been paused or is in the process of being started"},
    {71, "No more connections can be made to this remote computer at this time"},
    {72, "The printer or disk device has been paused"},
    {80, "The file exists"},
    {82, "The directory or file cannot be created"},
    {83, "Fail on critical error"},
    {84, "Storage to process this request is not available"},
    {85, "The local device name is already in use"},
    {86, "The network password is not correct"},
    {87, "The parameter is incorrect"},
    {88, "A write fault occurred on the network"},
    {100, "Ошибка чтения"},
    {101, "Ошибка записи"},
    {102, "Файлу не назначено имя"},
    {103, "Файл не открыт"},
    {104, "Файл не открыт для ввода"},
    {105, "Файл не открыт для вывода"},
    {106, "Неверный числовой формат"},
    {150, "Диск защищен от записи"},
    {151, "Неизвестное устройство"},
    {152, "Устройство не готово"},
    {153, "Неизвестная команда"},
    {154, "Ошибка контрольной суммы данных"},
    {155, "Неверная длина запроса к устройству"},
    {156, "Ошибка поиска на диске"},
    {157, "Неизвестный тип носителя"},
    {158, "Сектор не найден"},
    {159, "В принтере нет бумаги"},
    {160, "Ошибка записи на устройство"},
    {161, "Ошибка чтения с устройства"},
    {162, "Аппаратный сбой"},
    {200, "Division by zero"},
    {201, "Range check error"},
    {202, "Stack overflow"},
    {203, "Heap overflow"},
    {204, "Invalid pointer operation"},
    {205, "Floating point overflow"},
    {206, "Floating point underflow"},
    {207, "Invalid floating point operation"},
    {208, "Overlay manager not installed"},
    {209, "Overlay file read error"},
    {210, "Object not initialized"},
    {211, "Call to abstract method"},
    {212, "Stream registration error"},
    {213, "Collection index out of range"},
    {214, "Collection overflow error"},
    {215, "Arithmetic overflow error"},
    {216, "Access violation"},
    {217, "Control-C hit"},
    {219, "Invalid typecast"},
};

static_assert(std::size(kTexts) == 108);

constexpr bool sortedByCode()
{
    for (std::size_t i = 1; i < std::size(kTexts); ++i)
        if (kTexts[i - 1].code >= kTexts[i].code) return false;
    return true;
}
static_assert(sortedByCode());

} // namespace

std::string ioErrorText(int code)
{
    auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                               [](const CodeText& t, int c) { return t.code < c; });
    if (it != std::end(kTexts) && it->code == code) return it->text;
    return "Ошибка " + decimal(code);
}

int ioCodeFromErrno(int err)
{
    switch (err) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EISDIR: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    case EROFS: return 19;
    case ENODEV:
    case ENXIO: return 20;
    case EIO: return 30;
    case EBUSY:
    case ETXTBSY: return 32;
    case ENOSPC:
    case EDQUOT: return 39;
    case EOPNOTSUPP: return 50;
    case EEXIST: return 80;
    case EINVAL: return 87;
    default: return 100;
    }
}

} // namespace klt
