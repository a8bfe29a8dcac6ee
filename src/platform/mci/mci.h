#pragma once
// The MCI sequencer through command strings: open, seek, play, pause, resume, stop, close and
// "status ... mode", with MCI's error results and its notification rules (one pending
// notification per device; MM_MCINOTIFY posted to the callback window). MIDI is synthesised
// into the program's mixer.
#include "platform/win/types.h"

#include <string>
#include <vector>

using MCIERROR = DWORD;

inline constexpr MCIERROR MCIERR_UNRECOGNIZED_KEYWORD = 259;
inline constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = 261;
inline constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = 263;
inline constexpr MCIERROR MCIERR_MISSING_COMMAND_STRING = 267;
inline constexpr MCIERROR MCIERR_PARAM_OVERFLOW = 268;
inline constexpr MCIERROR MCIERR_MISSING_PARAMETER = 273;
inline constexpr MCIERROR MCIERR_FILE_NOT_FOUND = 275;
inline constexpr MCIERROR MCIERR_OUTOFRANGE = 282;
inline constexpr MCIERROR MCIERR_DUPLICATE_ALIAS = 289;
inline constexpr MCIERROR MCIERR_MISSING_DEVICE_NAME = 292;
inline constexpr MCIERROR MCIERR_NO_CLOSING_QUOTE = 294;
inline constexpr MCIERROR MCIERR_INVALID_FILE = 296;
inline constexpr MCIERROR MCIERR_FILENAME_REQUIRED = 304;
inline constexpr MCIERROR MCIERR_SEQ_PORT_INUSE = 336;
inline constexpr MCIERROR MCIERR_SEQ_NOMIDIPRESENT = 343;

inline constexpr WPARAM MCI_NOTIFY_SUPERSEDED = 2;
inline constexpr WPARAM MCI_NOTIFY_ABORTED = 4;

// Answers (for "status" the mode, for "open" the device id) go to the return buffer, cut to its
// size. Commands that request notification ("notify") name the callback window.
MCIERROR mciSendString(const char* command, char* returnString, UINT returnSize, HWND callback);

namespace mci {
// The commands received since the last call, oldest first (a short history for tests).
std::vector<std::string> TakeCommandHistory();
}  // namespace mci
