#pragma once
// What the devices and surfaces share: the live devices and the failures tests ask for.
#include <vector>

#include "platform/dd/dd.h"

namespace dd {

struct Machine {
    std::vector<DirectDraw*> devices;
    int secondaryDevices = 0;
    int failAfter[7] = {-1, -1, -1, -1, -1, -1, -1};
    std::vector<DWORD> refusedDepths;
    bool use555 = false;
    int stillDrawing = 0;
    int liveSurfaces = 0;
};

Machine& TheMachine();

// True when a failure of this call was asked for and its turn has come.
bool ShouldFail(test::Call call);

// True when this call answers DDERR_WASSTILLDRAWING; a call that waits uses the answers up.
bool StillDrawing(DWORD flags, DWORD waitFlag);

}  // namespace dd
