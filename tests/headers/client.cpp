// A client that includes the usual platform headers before <kr/kr.h>, or after it with
// KR_FIRST: their TRUE, FALSE, BOOL and X11's macros must not clash with the framework's names.
#ifdef KR_FIRST
#include <kr/kr.h>
#endif
#include <X11/Xlib.h>
#include <X11/Xmd.h>
#include <glib.h>
#ifndef KR_FIRST
#include <kr/kr.h>
#endif

int main() {
    const gboolean yes = TRUE;
    const BOOL x11 = True;
    krFont::SetColor(RGB(255, 255, 0), RGB(0, 0, 0), yes);
    krSystem::OnKeyDown(VK_ESCAPE);
    return krSystemState.scene + x11;
}
