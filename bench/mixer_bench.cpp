// The mixer's cost for one device callback (1024 frames, 23 ms of sound) with many sounds
// playing at once, each resampled from its own rate.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/ds/ds.h"

namespace {

void BM_MixPlayingBuffers(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    std::vector<IDirectSoundBuffer*> buffers;
    for (int i = 0; i < count; ++i) {
        const WAVEFORMATEX format{{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16}, 0};
        const DSBUFFERDESC description{sizeof(DSBUFFERDESC), DSBCAPS_CTRLFREQUENCY, 88200, 0,
                                       &format};
        HRESULT result = DS_OK;
        IDirectSoundBuffer* buffer = IDirectSoundBuffer::CreateSecondary(description, &result);
        buffer->SetFrequency(static_cast<DWORD>(11025 + 1000 * i));
        buffer->Play(0, 0, DSBPLAY_LOOPING);
        buffers.push_back(buffer);
    }
    std::vector<float> out(2 * 1024);
    for (auto _ : state) {
        mixer::Render(out.data(), 1024);
        benchmark::DoNotOptimize(out.data());
    }
    for (IDirectSoundBuffer* buffer : buffers)
        buffer->Release();
}
BENCHMARK(BM_MixPlayingBuffers)->Arg(1)->Arg(16)->Arg(64);

}  // namespace
