#pragma once
// Asks the desktop session not to blank the screen or lock while the program runs, through the
// screen-saver service on the session bus (org.freedesktop.ScreenSaver, Inhibit and
// UnInhibit), which desktops offer besides the X screen saver that DisplayAwake suspends.

#include <cstdint>
#include <memory>

namespace earth {

namespace dbus {
struct Connection;
struct Library;
}  // namespace dbus

class SessionIdleInhibit {
public:
    // Does nothing where there is no libdbus-1, no session bus or no screen-saver service;
    // waits at most a second for the service's answer.
    SessionIdleInhibit();
    ~SessionIdleInhibit();
    SessionIdleInhibit(const SessionIdleInhibit&) = delete;
    SessionIdleInhibit& operator=(const SessionIdleInhibit&) = delete;

    bool active() const { return cookie_ != 0; }

private:
    std::unique_ptr<dbus::Library> library_;
    dbus::Connection* connection_ = nullptr;
    std::uint32_t cookie_ = 0;
};

}  // namespace earth
