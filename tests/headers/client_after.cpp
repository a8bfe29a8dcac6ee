// A client that includes the usual platform headers after the framework's public header.
#include <kr/kr.h>
// The framework first on purpose.
#include <X11/Xlib.h>
#include <X11/Xmd.h>
#include <glib.h>

int main() {
    const gboolean yes = TRUE;
    const BOOL x11 = True;
    krFont::SetColor(RGB(255, 255, 0), RGB(0, 0, 0), yes);
    krSystem::OnKeyDown(VK_ESCAPE);
    return krSystemState.scene + x11;
}
