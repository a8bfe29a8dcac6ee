#pragma once
// What krInput needs from the presentation: key and button edges read as up while a screen
// transition runs or the overlay screen is shown.
#include <kr/input.h>

namespace krInput {

// The display names the query when it starts; without one the presentation never holds input.
void SetPresentationQuery(bool (*transitionOrOverlayShown)());

}  // namespace krInput
