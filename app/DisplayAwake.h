#pragma once
// Keeps the display from blanking while the program runs.

struct _XDisplay;

namespace earth {

// Suspends the X screen saver for its lifetime where an X server is reachable; does nothing
// elsewhere (no server, or a server without the screen-saver extension).
class DisplayAwake {
public:
    DisplayAwake();
    ~DisplayAwake();
    DisplayAwake(const DisplayAwake&) = delete;
    DisplayAwake& operator=(const DisplayAwake&) = delete;

    bool active() const { return active_; }

private:
    _XDisplay* display_ = nullptr;
    bool active_ = false;
};

}  // namespace earth
