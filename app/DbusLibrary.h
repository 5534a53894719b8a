#pragma once
// The few calls of libdbus-1 the program makes, found at run time: the library is on every
// desktop that has a session bus, and where it is missing there is no bus to talk to either.
// Its headers are not needed to build; the declarations below follow its stable C interface.

#include <cstdint>
#include <string>

namespace earth::dbus {

struct Connection;
struct Message;
using Bool = std::uint32_t;

// The library's error record, with room to spare.
struct Error {
    const char* name = nullptr;
    const char* message = nullptr;
    unsigned flags = 0;
    void* padding[4] = {};
};

constexpr int kTypeInvalid = 0;
constexpr int kTypeString = 's';
constexpr int kTypeUint32 = 'u';

struct Library {
    // Loads libdbus-1 (for the rest of the process); handle stays null when it is missing or
    // lacks one of the calls.
    Library();
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    explicit operator bool() const { return handle != nullptr; }

    void* handle = nullptr;
    void (*errorInit)(Error*) = nullptr;
    void (*errorFree)(Error*) = nullptr;
    Connection* (*openPrivate)(const char* address, Error*) = nullptr;
    Bool (*registerOnBus)(Connection*, Error*) = nullptr;
    void (*close)(Connection*) = nullptr;
    void (*unrefConnection)(Connection*) = nullptr;
    Message* (*newMethodCall)(const char* destination, const char* path, const char* interface, const char* method) = nullptr;
    Bool (*appendArgs)(Message*, int firstType, ...) = nullptr;
    Message* (*call)(Connection*, Message*, int timeoutMs, Error*) = nullptr;
    Bool (*getArgs)(Message*, Error*, int firstType, ...) = nullptr;
    void (*unrefMessage)(Message*) = nullptr;
};

// The session bus's address: DBUS_SESSION_BUS_ADDRESS, else the usual socket in
// XDG_RUNTIME_DIR where it exists; empty when there is none (no bus is ever started).
std::string sessionBusAddress();

}  // namespace earth::dbus
