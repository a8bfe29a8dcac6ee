#include "platform/release_log.h"

#include <mutex>

namespace platform {

namespace {

struct ReleaseLog {
    std::mutex lock;  // the audio device may close from its own thread at exit
    bool on = false;
    std::vector<std::string> entries;
};

// Never destroyed: blocks may still be freed while the program's statics go.
ReleaseLog& Log() {
    static auto* log = new ReleaseLog;
    return *log;
}

}  // namespace

void NoteRelease(const char* what) {
    std::lock_guard guard(Log().lock);
    if (Log().on) Log().entries.emplace_back(what);
}

namespace test {

void LogReleases(bool on) {
    std::lock_guard guard(Log().lock);
    if (on) Log().entries.clear();
    Log().on = on;
}

const std::vector<std::string>& Releases() {
    return Log().entries;
}

}  // namespace test

}  // namespace platform
