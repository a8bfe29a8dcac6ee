#pragma once
// Files embedded in the program, found by name and type where a file is looked for: bitmaps
// ("BITMAP"), sounds ("WAVE"), the window icon ("ICON" named "MAIN"). The build's resource step
// writes a table of them and registers it at start-up.
#include <cstddef>

struct krResource {
    const char* name;
    const char* type;
    const unsigned char* data;
    size_t size;
};

namespace krSystem {

// Adds the table's resources (their bytes are used where they are, not copied); returns true, so
// that a static initialiser can call it.
bool RegisterResources(const krResource* table, size_t count);

}  // namespace krSystem
