#pragma once
// Controls of the test OpenXR runtime, called by the tests through dlopen/dlsym on the same
// library the OpenXR loader loads (one copy in the process, so one state).
extern "C" {
typedef void (*TestXrReset)();  // a connected, tracked headset looking ahead, no faults, no counts
typedef void (*TestXrSetConnected)(int connected);  // 0: xrGetSystem finds no head-mounted display
typedef void (*TestXrSetFault)(int fault);  // 1: no instance; 2: no orientation tracking; 3: no session
typedef void (*TestXrSetHeadPose)(const float orientationXyzw[4], const float position[3]);
// Queues a change of every live session to an XrSessionState; 0 asks the program to exit:
// STOPPING now, IDLE and EXITING once it ends the session (TESTXR_EXIT_AFTER=n: after n frames).
typedef void (*TestXrQueueState)(int state);
// "framesSubmitted", "live"/"running" + "Sessions", "liveInstances", "liveSwapchains",
// "liveSpaces", "releasedWithoutContext", "callOrderErrors".
typedef int (*TestXrCount)(const char* name);
typedef unsigned (*TestXrSubmittedImage)(int eye);  // GL texture submitted last, 0 before any
}
