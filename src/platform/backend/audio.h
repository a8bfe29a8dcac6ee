#pragma once
// The audio device that the program's software mixer plays through: the SDL one unless another
// was installed (tests install a device that they pull by hand).

namespace backend {

// Fills interleaved stereo float frames; called on the device's own thread.
using AudioPull = void (*)(float* stereoFrames, int frameCount);

class AudioDevice {
  public:
    virtual ~AudioDevice() = default;
    // Starts pulling at the given rate; false when no device can be opened.
    virtual bool Open(int rate, AudioPull pull) = 0;
    virtual void Close() = 0;
};

AudioDevice& ActiveAudio();
// Null goes back to the SDL device.
void InstallAudio(AudioDevice* device);

}  // namespace backend
