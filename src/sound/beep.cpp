#include <kr/kr.h>

#include "platform/win/win.h"

namespace krSound {

int32_t Beep() {
    return win::MessageBeep(0xFFFFFFFF);
}

}  // namespace krSound
