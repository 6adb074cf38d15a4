// Runs the command-line host as a user would, in the source folder (where the
// example's relative paths hold) with no input, and collects what it wrote.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/TestSupport.h"

namespace orvane::testing {

struct Outcome {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// A word for the shell, single-quoted.
inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// `args` are already quoted where needed.
inline Outcome RunOrvane(const std::string& args) {
    ScratchDir io;
    const std::string cmd = "cd " + ShellQuote(ORVANE_SOURCE_DIR) + " && " + ShellQuote(ORVANE_CLI) + " " + args +
                            " >" + ShellQuote(io.file("out")) + " 2>" + ShellQuote(io.file("err")) + " </dev/null";
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(io.file("out")), ReadFile(io.file("err"))};
}

}  // namespace orvane::testing
