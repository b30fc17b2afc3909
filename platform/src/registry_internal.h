// Internal: lets Reset empty the registry.
#pragma once

namespace simwin::detail {

// Replaces every root with an empty key. Keys of the old tree count as
// deleted for handles still open on them.
void ResetRegistry();

}  // namespace simwin::detail
