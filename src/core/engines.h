#pragma once
// Choosing the placement engine by name ("literal", "fast").
#include <memory>
#include <string>

#include "core/placement.h"

namespace klt {

// Empty for an unknown name.
std::unique_ptr<PlacementEngine> makePlacementEngine(const std::string& name);

// The engine the windows and the command-line tool use unless told otherwise.
inline const char* defaultEngineName() { return "fast"; }

} // namespace klt
