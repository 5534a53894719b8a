#include "app/SessionIdleInhibit.h"

#include "app/DbusLibrary.h"

namespace earth {
namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";
constexpr int kTimeoutMs = 1000;

}  // namespace

SessionIdleInhibit::SessionIdleInhibit() : library_(std::make_unique<dbus::Library>()) {
    const dbus::Library& bus = *library_;
    const std::string address = dbus::sessionBusAddress();
    if (!bus || address.empty()) return;
    dbus::Error error;
    bus.errorInit(&error);
    connection_ = bus.openPrivate(address.c_str(), &error);
    if (connection_ != nullptr && bus.registerOnBus(connection_, &error)) {
        dbus::Message* request = bus.newMethodCall(kService, kPath, kService, "Inhibit");
        const char* application = "Orbitarium";
        const char* reason = "Narrated tour and exploration";
        if (request != nullptr && bus.appendArgs(request, dbus::kTypeString, &application, dbus::kTypeString, &reason,
                                                 dbus::kTypeInvalid)) {
            // No service on the bus is an immediate error answer, not a wait.
            if (dbus::Message* reply = bus.call(connection_, request, kTimeoutMs, &error)) {
                std::uint32_t cookie = 0;
                if (bus.getArgs(reply, &error, dbus::kTypeUint32, &cookie, dbus::kTypeInvalid)) cookie_ = cookie;
                bus.unrefMessage(reply);
            }
        }
        if (request != nullptr) bus.unrefMessage(request);
    }
    bus.errorFree(&error);
    if (cookie_ == 0 && connection_ != nullptr) {
        bus.close(connection_);
        bus.unrefConnection(connection_);
        connection_ = nullptr;
    }
}

SessionIdleInhibit::~SessionIdleInhibit() {
    if (connection_ == nullptr) return;
    const dbus::Library& bus = *library_;
    // The service also ends the inhibition when our connection closes; saying so is cleaner.
    if (dbus::Message* request = bus.newMethodCall(kService, kPath, kService, "UnInhibit")) {
        dbus::Error error;
        bus.errorInit(&error);
        if (bus.appendArgs(request, dbus::kTypeUint32, &cookie_, dbus::kTypeInvalid)) {
            if (dbus::Message* reply = bus.call(connection_, request, kTimeoutMs, &error)) bus.unrefMessage(reply);
        }
        bus.errorFree(&error);
        bus.unrefMessage(request);
    }
    bus.close(connection_);
    bus.unrefConnection(connection_);
}

}  // namespace earth
