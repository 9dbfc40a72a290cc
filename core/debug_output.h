// Diagnostics the user need not see (failed allocations inside images and the like).
#pragma once

#include <string_view>

namespace qm {

// Written to standard error when QUILLMERE_DEBUG is set in the environment; dropped otherwise.
void debugOutput(std::string_view text);

} // namespace qm
