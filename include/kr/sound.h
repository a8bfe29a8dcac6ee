#pragma once
// krSound: sound effects in 70 numbered slots, each with up to 10 identical buffers for
// overlapping plays. krMidi: one looping piece of MIDI music. Names are UTF-8.
#include <cstdint>

namespace krSound {

// Starting sound: the display set-up runs these three (Init, ResetTable, then krMidi::Init); a
// client without a display calls them itself before loading anything.
// 1 when the sound device is ready; without an audio device 0, and sound stays silent.
int32_t Init();
// Every slot free with one buffer and no settings.
void ResetTable();

// The standard simple beep; its result is ignored by the error dialog.
int32_t Beep();

// Loads a WAVE file from the data directory or, failing that, a WAVE resource of the same name,
// into the lowest free slot with bufferCount buffers (1 to 10). Returns the sound number, or 0
// after a reported failure and when sound is not available.
int32_t LoadObject(const char* name, int32_t bufferCount);
void FreeObject(int32_t sound);
// Plays a WAVE file (the name as given, no data directory) to its end while every sound is
// released, then restores every sound with its settings.
void PlayWaveFile(const char* name);

// The selector: 0 or more picks that buffer. A negative one: Play and PlayLoop take the next
// buffer in turn; Stop and Pause take all buffers; the setting operations take the next buffer in
// turn for -2 and all buffers for any other negative value. Calls for a free slot or a buffer
// the sound does not have do nothing.
void Play(int32_t sound, int32_t selector);
void PlayLoop(int32_t sound, int32_t selector);
void Stop(int32_t sound, int32_t selector);
// Stops a playing buffer where it is; starts a stopped one from there, once.
void Pause(int32_t sound, int32_t selector);

// Frequency steps are 100 Hz (100 to 100000 Hz), pan steps 1/100 of the swing (-100 left to 100
// right), volume steps whole decibels (-100 to 0).
void AddFrequency(int32_t sound, int32_t step, int32_t selector);
void ResetFrequency(int32_t sound, int32_t selector);
void SetFrequency(int32_t sound, int32_t step, int32_t selector);
void AddPan(int32_t sound, int32_t step, int32_t selector);
void CenterPan(int32_t sound, int32_t selector);
void SetPan(int32_t sound, int32_t value, int32_t selector);
void PanLeft(int32_t sound, int32_t selector);
void PanRight(int32_t sound, int32_t selector);
void AddVolume(int32_t sound, int32_t step, int32_t selector);
void ResetVolume(int32_t sound, int32_t selector);
void SetVolume(int32_t sound, int32_t value, int32_t selector);

}  // namespace krSound

namespace krMidi {

// Nothing open, looping on; returns 1.
int32_t Init();

// Closes any open piece, then opens the MIDI file (the data directory is put in front) and plays
// it from the start; it loops until DisableLoop. Returns the last MCI result.
uint32_t Play(const char* fileName);
// The end of the piece: plays it again from the start, or, with looping off, closes it.
void Replay();
// Stops and closes the open piece.
void Stop();
// Sends the stop and close commands whatever is open.
void Close();
// The piece ends at its next end and is closed then.
void DisableLoop();

}  // namespace krMidi
