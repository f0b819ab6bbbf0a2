#include "core/engines.h"

namespace klt {

std::unique_ptr<PlacementEngine> makePlacementEngine(const std::string& name)
{
    if (name == "literal" || name == "fast") return std::make_unique<LiteralPlacement>();
    return nullptr;
}

} // namespace klt
