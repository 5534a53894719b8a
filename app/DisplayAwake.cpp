#include "app/DisplayAwake.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace earth {

DisplayAwake::DisplayAwake() {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) return;
    int eventBase = 0;
    int errorBase = 0;
    if (XScreenSaverQueryExtension(display_, &eventBase, &errorBase)) {
        XScreenSaverSuspend(display_, True);
        XFlush(display_);
        active_ = true;
    }
}

DisplayAwake::~DisplayAwake() {
    if (display_ == nullptr) return;
    if (active_) {
        XScreenSaverSuspend(display_, False);
        XFlush(display_);
    }
    XCloseDisplay(display_);
}

}  // namespace earth
