#pragma once
// A program on the headless backend for benchmarks: started through the shell with a client's
// initialisation and scene-1 frame, and quit through its normal path.
#include "platform/backend/headless/headless.h"
#include "shell/shell.h"

namespace bench {

// modulePath, when given, is where the program's data files are looked for.
inline void StartHeadlessProgram(void (*initialise)(), void (*frame)(),
                                 const char* modulePath = nullptr) {
    headless::Install();
    if (modulePath != nullptr) headless::SetModulePath(modulePath);
    headless::SetBoxEcho(false);
    krSystem::ResetForNextRun();
    krSystem::RegisterClient(initialise, {{1, frame}});
    krSystem::StartUp(nullptr, "", SW_SHOWNORMAL);
}

inline void QuitHeadlessProgram() {
    krSystem::Quit();
    while (krSystem::RunLoopPass()) {
    }
}

}  // namespace bench
