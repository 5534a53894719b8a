/* A probe preloaded into the real program (LD_PRELOAD) to time it from outside, the same way
 * for any build: time from process start to the first presented frame, frames per second over
 * a window of frames, and callgrind instrumentation of exactly that window. It counts
 * glfwSwapBuffers calls (one per desktop frame), can press Space once (the continue control) to
 * get past a wait for input, and closes the window when done. Settings, all optional:
 *   ORBITARIUM_PROBE_PRESS   frame at which Space is pressed (released one frame later); -1: never
 *   ORBITARIUM_PROBE_WARMUP  frames after the press before measuring (default 30)
 *   ORBITARIUM_PROBE_FRAMES  frames measured (default 100); then the window is closed
 *   ORBITARIUM_PROBE_OUT     file the results are appended to (default stderr)
 */
#define _GNU_SOURCE
#include <GLFW/glfw3.h>
#if defined(__has_include) && __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else /* without valgrind's headers the probe still times; callgrind then counts everything */
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

#include <dlfcn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static GLFWkeyfun programKeys;
static long frame;
static double loadedAt, measureStart;

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + 1e-9 * (double)t.tv_nsec;
}

static long setting(const char* name, long fallback) {
    const char* v = getenv(name);
    return v && *v ? strtol(v, NULL, 10) : fallback;
}

/* Seconds since the process started, from the kernel's start time (in clock ticks since boot). */
static double sinceProcessStart(void) {
    FILE* f = fopen("/proc/self/stat", "r");
    if (!f) return -1.0;
    char buffer[1024];
    size_t n = fread(buffer, 1, sizeof buffer - 1, f);
    fclose(f);
    buffer[n] = '\0';
    const char* p = strrchr(buffer, ')'); /* the command name may hold spaces */
    if (!p) return -1.0;
    unsigned long long start = 0;
    int field = 2;
    for (const char* c = p + 1; *c; ++c) {
        if (*c == ' ' && ++field == 22) {
            start = strtoull(c + 1, NULL, 10);
            break;
        }
    }
    struct timespec boot;
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double up = (double)boot.tv_sec + 1e-9 * (double)boot.tv_nsec;
    return up - (double)start / (double)sysconf(_SC_CLK_TCK);
}

static void report(const char* format, ...) {
    const char* path = getenv("ORBITARIUM_PROBE_OUT");
    FILE* out = path ? fopen(path, "a") : NULL;
    va_list args;
    va_start(args, format);
    vfprintf(out ? out : stderr, format, args);
    va_end(args);
    if (out) fclose(out);
}

__attribute__((constructor)) static void probeLoaded(void) { loadedAt = now(); }

GLFWkeyfun glfwSetKeyCallback(GLFWwindow* window, GLFWkeyfun callback) {
    static GLFWkeyfun (*real)(GLFWwindow*, GLFWkeyfun);
    if (!real) real = (GLFWkeyfun(*)(GLFWwindow*, GLFWkeyfun))dlsym(RTLD_NEXT, "glfwSetKeyCallback");
    programKeys = callback;
    return real(window, callback);
}

void glfwSwapBuffers(GLFWwindow* window) {
    static void (*real)(GLFWwindow*);
    if (!real) real = (void (*)(GLFWwindow*))dlsym(RTLD_NEXT, "glfwSwapBuffers");
    real(window);

    const long press = setting("ORBITARIUM_PROBE_PRESS", 5);
    const long warmup = setting("ORBITARIUM_PROBE_WARMUP", 30);
    const long frames = setting("ORBITARIUM_PROBE_FRAMES", 100);
    const long first = (press >= 0 ? press + 1 : 0) + warmup;
    if (frame == 0) {
        report("first_frame_s %.3f probe_loaded_to_first_frame_s %.3f\n", sinceProcessStart(),
               now() - loadedAt);
    }
    if (programKeys && (frame == press || frame == press + 1)) {
        programKeys(window, GLFW_KEY_SPACE, 57, frame == press ? GLFW_PRESS : GLFW_RELEASE, 0);
    }
    if (frame == first) {
        measureStart = now();
        CALLGRIND_START_INSTRUMENTATION;
    }
    if (frame == first + frames) {
        CALLGRIND_DUMP_STATS_AT("measured frames");
        CALLGRIND_STOP_INSTRUMENTATION;
        const double seconds = now() - measureStart;
        report("frames %.0f seconds %.3f fps %.2f\n", (double)frames, seconds, frames / seconds);
        glfwSetWindowShouldClose(window, GLFW_TRUE);
    }
    ++frame;
}
