#pragma once
// Controls of the test OpenXR runtime, called by the tests through dlopen/dlsym on the same
// library the OpenXR loader loads (one copy in the process, so one state).

extern "C" {
// Back to a connected headset looking straight ahead, with nothing live and no counts.
typedef void (*TestXrReset)();
// 0: xrGetSystem reports no head-mounted display.
typedef void (*TestXrSetConnected)(int connected);
// 1: xrCreateInstance fails as a broken runtime would; 2: the headset does not track its
// orientation; 3: xrCreateSession fails. 0: none of these.
typedef void (*TestXrSetFault)(int fault);
typedef void (*TestXrSetHeadPose)(const float orientationXyzw[4], const float position[3]);
// Queues a change of every live session to an XrSessionState, as the runtime would; 0 asks the
// program to exit: STOPPING now, then IDLE and EXITING once it ends the session. (The
// environment variable TESTXR_EXIT_AFTER=n does the latter after n submitted frames.)
typedef void (*TestXrQueueState)(int state);
// Named counters: "framesSubmitted", "liveInstances", "liveSessions", "liveSwapchains",
// "runningSessions", "releasedWithoutContext", "callOrderErrors".
typedef int (*TestXrCount)(const char* name);
// GL texture of the image submitted for an eye in the last frame, 0 before any.
typedef unsigned (*TestXrSubmittedImage)(int eye);
}
