// WAVE files through the RIFF reader and the conversion to a playable format.
#include "input_file.h"
#include "platform/ds/wave.h"
#include "platform/win/win.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteInput(data, size, "input.wav");
    WAVEFORMATEX* format = nullptr;
    uint8_t* samples = nullptr;
    uint32_t bytes = 0;
    if (ds::ReadWave(path.c_str(), &format, &samples, &bytes) == 0) {
        ds::MakePlayable(&format, &samples, &bytes);
        win::GlobalFree(format);
        win::GlobalFree(samples);
    }
    return 0;
}
