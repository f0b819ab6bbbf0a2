#include "core/engines.h"

#include "core/fastplacement.h"

namespace klt {

std::unique_ptr<PlacementEngine> makePlacementEngine(const std::string& name)
{
    if (name == "literal") return std::make_unique<LiteralPlacement>();
    if (name == "fast") return std::make_unique<FastPlacement>();
    return nullptr;
}

} // namespace klt
