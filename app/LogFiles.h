#pragma once
// Standard output and standard error go to "log.txt" and "err.txt" in the working directory.

namespace earth {

// Points the two standard streams at the log files. A file that cannot be created (read-only
// or full directory, a directory of that name) leaves its stream where it was, usually the
// terminal, and one line on standard error says so: no message is ever lost. The streams stay
// open until the C runtime closes them at exit, after the static objects (the sound system
// among them) are gone, so that those can still report.
void redirectToLogFiles();

}  // namespace earth
