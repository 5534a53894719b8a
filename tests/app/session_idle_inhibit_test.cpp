// The desktop's screen-saver service asked not to blank, against a private session bus with a
// stand-in service of our own; nothing happens without a bus or without the service.

#include "app/DbusLibrary.h"
#include "app/SessionIdleInhibit.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace earth {
namespace {

// A session bus of its own for the test: dbus-daemon prints its address and process id.
struct PrivateBus {
    PrivateBus() {
        std::FILE* out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
        char line[512] = {};
        if (out != nullptr && std::fgets(line, sizeof line, out) != nullptr) address.assign(line, std::strcspn(line, "\n"));
        if (out != nullptr && std::fgets(line, sizeof line, out) != nullptr) pid = std::atoi(line);
        if (out != nullptr) pclose(out);
    }
    ~PrivateBus() { if (pid > 0) kill(pid, SIGTERM); }
    std::string address;
    int pid = 0;
};

// Answers Inhibit with cookie 42 and records the calls as "Inhibit Orbitarium" or "UnInhibit 42".
struct StandInService {
    explicit StandInService(const dbus::Library& bus, const std::string& address) : bus(bus) {
        dbus::Error error;
        bus.errorInit(&error);
        connection = bus.openPrivate(address.c_str(), &error);
        const auto requestName = reinterpret_cast<int (*)(dbus::Connection*, const char*, unsigned, dbus::Error*)>(symbol("dbus_bus_request_name"));
        named = connection != nullptr && bus.registerOnBus(connection, &error) &&
                requestName(connection, "org.freedesktop.ScreenSaver", 4 /* do not queue */, &error) == 1 /* primary owner */;
        bus.errorFree(&error);
        if (named) worker = std::thread([this] { serve(); });
    }
    ~StandInService() {
        finish();
        if (connection != nullptr) {
            bus.close(connection);
            bus.unrefConnection(connection);
        }
    }
    void finish() {
        stop = true;
        if (worker.joinable()) worker.join();
    }
    void* symbol(const char* name) const { return dlsym(bus.handle, name); }
    void serve() {
        const auto readWrite = reinterpret_cast<dbus::Bool (*)(dbus::Connection*, int)>(symbol("dbus_connection_read_write"));
        const auto pop = reinterpret_cast<dbus::Message* (*)(dbus::Connection*)>(symbol("dbus_connection_pop_message"));
        const auto member = reinterpret_cast<const char* (*)(dbus::Message*)>(symbol("dbus_message_get_member"));
        const auto answer = reinterpret_cast<dbus::Message* (*)(dbus::Message*)>(symbol("dbus_message_new_method_return"));
        const auto send = reinterpret_cast<dbus::Bool (*)(dbus::Connection*, dbus::Message*, std::uint32_t*)>(symbol("dbus_connection_send"));
        while (!stop && readWrite(connection, 50)) {
            while (dbus::Message* message = pop(connection)) {
                const std::string name = member(message) != nullptr ? member(message) : "";
                const char *application = "", *reason = "";
                std::uint32_t cookie = 0;
                dbus::Error error;
                bus.errorInit(&error);
                if (name == "Inhibit" && bus.getArgs(message, &error, dbus::kTypeString, &application, dbus::kTypeString, &reason, dbus::kTypeInvalid)) {
                    calls.push_back(name + " " + application);
                    cookie = 42;
                } else if (name == "UnInhibit" && bus.getArgs(message, &error, dbus::kTypeUint32, &cookie, dbus::kTypeInvalid)) {
                    calls.push_back(name + " " + std::to_string(cookie));
                }
                bus.errorFree(&error);
                if (dbus::Message* reply = name == "Inhibit" || name == "UnInhibit" ? answer(message) : nullptr) {
                    if (name == "Inhibit") bus.appendArgs(reply, dbus::kTypeUint32, &cookie, dbus::kTypeInvalid);
                    send(connection, reply, nullptr);
                    bus.unrefMessage(reply);
                }
                bus.unrefMessage(message);
            }
        }
    }

    const dbus::Library& bus;
    dbus::Connection* connection = nullptr;
    bool named = false;
    std::atomic<bool> stop{false};
    std::vector<std::string> calls;  // read after finish()
    std::thread worker;
};

struct ScopedAddress {
    explicit ScopedAddress(const std::string& address) { setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1); }
    ~ScopedAddress() { unsetenv("DBUS_SESSION_BUS_ADDRESS"); }
};

TEST(SessionIdleInhibit, AsksTheScreenSaverServiceWhileItLivesAndNothingWithoutOne) {
    const dbus::Library bus;
    if (!bus) GTEST_SKIP() << "no libdbus-1";
    {
        const ScopedAddress none("unix:path=/nonexistent/orbitarium/bus");
        EXPECT_FALSE(SessionIdleInhibit().active());
    }
    const PrivateBus daemon;
    if (daemon.address.empty()) GTEST_SKIP() << "no dbus-daemon";
    const ScopedAddress address(daemon.address);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SessionIdleInhibit().active());  // a bus without the service: at once, nothing
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));

    StandInService service(bus, daemon.address);
    ASSERT_TRUE(service.named);
    EXPECT_TRUE(SessionIdleInhibit().active());  // asked while it lives, released as it goes
    service.finish();
    EXPECT_EQ(service.calls, (std::vector<std::string>{"Inhibit Orbitarium", "UnInhibit 42"}));
}

}  // namespace
}  // namespace earth
