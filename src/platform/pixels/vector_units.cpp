#include "platform/pixels/vector_units.h"

#include <cstdlib>
#include <cstring>

namespace pixels {
namespace {

bool Available() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

bool& Wide() {
    static bool wide = [] {
        const char* cpu = std::getenv("KR_CPU");
        return Available() && !(cpu != nullptr && std::strcmp(cpu, "generic") == 0);
    }();
    return wide;
}

}  // namespace

bool WideVectors() {
    return Wide();
}

void SetWideVectors(bool on) {
    Wide() = on && Available();
}

}  // namespace pixels
