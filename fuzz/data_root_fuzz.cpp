// The data-root file: one line naming another root for the number files.
#include <cstdlib>
#include <cstring>

#include "input_file.h"
#include "kr/headless.h"
#include "kr/kr.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("XDG_CONFIG_HOME", FuzzFolder().c_str(), 1);
    krHeadless::SetProgramPath((FuzzFolder() + "program/kirva").c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteInput(data, size, "data-root.txt");
    krSystem::LoadDataRoot("data-root.txt");
    // The path is built from the root and must stay a terminated string within its buffer.
    const char* path = krSystem::GetDataPath(1);
    volatile size_t length = std::strlen(path);
    (void)length;
    return 0;
}
