#include "platform/backend/backend.h"

#include <unistd.h>

#include <chrono>
#include <ctime>

#include "platform/backend/sdl/sdl_backend.h"

namespace backend {

namespace {
Backend* active = nullptr;
}

Backend& Active() {
    return active != nullptr ? *active : sdl::Instance();
}

void Install(Backend* chosen) {
    active = chosen;
}

uint32_t RealTickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

int64_t RealCalendarTime() {
    return static_cast<int64_t>(std::time(nullptr));
}

const char* ExecutablePath() {
    static char path[4096] = "";
    if (path[0] == '\0') {
        // A path that fills the buffer may be cut: no path then, rather than another one.
        const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
        path[length > 0 && length < ssize_t(sizeof path) ? length : 0] = '\0';
    }
    return path;
}

}  // namespace backend
