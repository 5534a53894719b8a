#pragma once
// Controls of the test OpenXR runtime, called by the tests through dlopen/dlsym on the same
// library the OpenXR loader loads (one copy in the process, so one state).

extern "C" {
// Back to a connected headset looking straight ahead, with nothing live and no counts.
typedef void (*TestXrReset)();
// 0: xrGetSystem reports no head-mounted display.
typedef void (*TestXrSetConnected)(int connected);
// 1: xrCreateInstance fails as a broken runtime would.
typedef void (*TestXrSetFailInit)(int fail);
typedef void (*TestXrSetHeadPose)(const float orientationXyzw[4], const float position[3]);
// Named counters: "framesSubmitted", "liveInstances", "liveSessions", "liveSwapchains",
// "releasedWithoutContext", "callOrderErrors".
typedef int (*TestXrCount)(const char* name);
// GL texture of the image submitted for an eye in the last frame, 0 before any.
typedef unsigned (*TestXrSubmittedImage)(int eye);
}
