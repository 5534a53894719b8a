#include "app/DbusLibrary.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <type_traits>

namespace earth::dbus {

Library::Library() {
    handle = dlopen("libdbus-1.so.3", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return;
    bool complete = true;
    const auto find = [&](auto& pointer, const char* name) {
        pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(dlsym(handle, name));
        complete = complete && pointer != nullptr;
    };
    find(errorInit, "dbus_error_init");
    find(errorFree, "dbus_error_free");
    find(openPrivate, "dbus_connection_open_private");
    find(registerOnBus, "dbus_bus_register");
    find(close, "dbus_connection_close");
    find(unrefConnection, "dbus_connection_unref");
    find(newMethodCall, "dbus_message_new_method_call");
    find(appendArgs, "dbus_message_append_args");
    find(call, "dbus_connection_send_with_reply_and_block");
    find(getArgs, "dbus_message_get_args");
    find(unrefMessage, "dbus_message_unref");
    if (!complete) {
        dlclose(handle);
        handle = nullptr;
    }
}

// Left loaded: other libraries of the process may use it too, and it keeps state of its own.
Library::~Library() = default;

std::string sessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS")) return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime == nullptr) return {};
    const std::string socket = std::string(runtime) + "/bus";
    return stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) ? "unix:path=" + socket : std::string();
}

}  // namespace earth::dbus
