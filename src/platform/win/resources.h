#pragma once
// The program's embedded resources, found by name and type as on the original platform.
#include <kr/resources.h>

#include <cstddef>

namespace win {

using Resource = krResource;  // type: "BITMAP", "WAVE", "RCDATA", "ICON", ...

// Called by the generated resource table of an executable; returns true.
bool RegisterResources(const Resource* table, size_t count);

// Names and types compare without regard to case; null when there is no such resource.
const Resource* FindResource(const char* name, const char* type);

}  // namespace win
