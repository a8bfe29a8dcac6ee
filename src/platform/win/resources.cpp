#include "platform/win/resources.h"

#include <strings.h>

#include <vector>

namespace win {

namespace {
std::vector<Resource>& Registry() {
    static std::vector<Resource> resources;
    return resources;
}
}  // namespace

bool RegisterResources(const Resource* table, size_t count) {
    Registry().insert(Registry().end(), table, table + count);
    return true;
}

const Resource* FindResource(const char* name, const char* type) {
    if (name == nullptr || type == nullptr) return nullptr;
    for (const Resource& resource : Registry()) {
        if (strcasecmp(resource.name, name) == 0 && strcasecmp(resource.type, type) == 0) {
            return &resource;
        }
    }
    return nullptr;
}

}  // namespace win

bool krSystem::RegisterResources(const krResource* table, size_t count) {
    return win::RegisterResources(table, count);
}
