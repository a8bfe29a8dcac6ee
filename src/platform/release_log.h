#pragma once
// The order in which the platform lets its long-lived objects go, for tests that check a
// shutdown's order. Nothing is recorded unless a test turns the log on.
#include <string>
#include <vector>

namespace platform {

void NoteRelease(const char* what);

namespace test {
// On: starts an empty log. Off: stops recording and keeps what was logged.
void LogReleases(bool on);
const std::vector<std::string>& Releases();
}  // namespace test

}  // namespace platform
