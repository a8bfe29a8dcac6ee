// Number files: one decimal integer in the data path.
#include "input_file.h"
#include "kr/headless.h"
#include "kr/kr.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    krHeadless::SetProgramPath((FuzzFolder() + "kirva").c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteInput(data, size, "number.txt");
    krSystem::ReadNumber("number.txt");
    return 0;
}
