#include "core/error.h"

#include <new>

#include "core/abort.h"

namespace klt {

std::optional<std::string> currentErrorText()
{
    try {
        throw;
    } catch (const SilentAbort&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return "Недостаточно памяти";
    } catch (const std::exception& e) {
        return std::string(e.what());
    } catch (...) {
        return "Неизвестная ошибка";
    }
}

} // namespace klt
