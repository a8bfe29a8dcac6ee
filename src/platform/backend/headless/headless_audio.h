#pragma once
// An audio device without a thread: it opens (or refuses to, like a machine without sound) and
// plays only what a test pulls from the mixer by hand.
#include <vector>

namespace headless {

// Makes the hand-pulled device the active one; with available false every open fails.
void InstallManualAudio(bool available = true);
// Makes the hand-pulled device the active one unless it is already (as a test may have made it,
// refusing to open): a headless run then looks for no sound device and starts no audio thread.
void UseManualAudio();
// Back to the SDL device.
void UninstallManualAudio();
bool AudioOpen();
// Pulls frames as the device would: interleaved left and right. Empty while the device is closed.
std::vector<float> RenderAudio(int frames);

}  // namespace headless
