#pragma once
// Starting a program of the test's own and collecting what it writes to standard output.
#include <windows.h>

#include <string>
#include <vector>

namespace tessaly::test {

struct ProcessResult {
    DWORD exitCode = 0;
    bool finished = false; // false: still running when the time ran out (it was killed)
    std::string output;    // standard output
};

// Starts `commandLine` and waits at most `timeoutMs` for it to end.
ProcessResult RunProcess(const std::string& commandLine, DWORD timeoutMs = 120000);

// The lines of a text, without their line breaks.
std::vector<std::string> Lines(const std::string& text);

} // namespace tessaly::test
