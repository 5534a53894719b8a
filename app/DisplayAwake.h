#pragma once
// Keeps the display from blanking while the program runs.

#include "app/SessionIdleInhibit.h"

struct _XDisplay;

namespace earth {

// Suspends the X screen saver for its lifetime where an X server is reachable, and asks the
// desktop session's screen-saver service on the session bus not to blank or lock where there
// is one; does nothing where neither is present.
class DisplayAwake {
public:
    DisplayAwake();
    ~DisplayAwake();
    DisplayAwake(const DisplayAwake&) = delete;
    DisplayAwake& operator=(const DisplayAwake&) = delete;

    bool active() const { return active_; }
    bool sessionInhibited() const { return session_.active(); }

private:
    _XDisplay* display_ = nullptr;
    bool active_ = false;
    SessionIdleInhibit session_;
};

}  // namespace earth
