#include "app/LogFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace earth {
namespace {

// Moves the stream's descriptor onto the file; the FILE and iostream objects stay as they are.
// Unlike freopen, a failure leaves the stream untouched instead of closed. Returns why not.
std::string redirect(std::FILE* stream, int descriptor, const char* path) {
    const int file = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file < 0) return std::string(path) + " (" + std::strerror(errno) + ")";
    std::fflush(stream);
    const bool moved = ::dup2(file, descriptor) >= 0;
    const int error = errno;
    ::close(file);
    return moved ? std::string() : std::string(path) + " (" + std::strerror(error) + ")";
}

}  // namespace

void redirectToLogFiles() {
    const std::string out = redirect(stdout, STDOUT_FILENO, "log.txt");
    const std::string err = redirect(stderr, STDERR_FILENO, "err.txt");
    if (out.empty() && err.empty()) return;
    const std::string which = out.empty() ? err : err.empty() ? out : out + " and " + err;
    std::fprintf(stderr, "Cannot write %s: messages stay on the terminal\n", which.c_str());
    std::fflush(stderr);
}

}  // namespace earth
