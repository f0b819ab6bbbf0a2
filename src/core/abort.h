#pragma once
// Thrown to abandon the running command without a message, for example when
// the user cancels a question that the command cannot go on without. The
// program's error handler catches it and says nothing.

namespace klt {

struct SilentAbort {};

} // namespace klt
