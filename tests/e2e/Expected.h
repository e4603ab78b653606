#pragma once
// What the inspectors must show for a contacts file, worked out with the program's own
// reader, and the test environment each destination's stand-in reads.
#include <string>
#include <vector>

namespace tessaly::test {

// One inspector line per record of the file: "contact" and the 18 fields, escaped.
std::vector<std::string> ExpectedContactLines(const std::string& csvText);

// The records' display names, in file order.
std::vector<std::string> ExpectedDisplayNames(const std::string& csvText);

// The bundled sample list, as served to the program.
std::string SampleContacts();

// Sets an environment variable for this process and its children; restores it after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const std::string& name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

// Wine's per-program Windows version for CorvaneTessaly.exe; removed again after.
class ScopedProgramVersion {
public:
    explicit ScopedProgramVersion(const std::string& version);
    ~ScopedProgramVersion();
    ScopedProgramVersion(const ScopedProgramVersion&) = delete;
    ScopedProgramVersion& operator=(const ScopedProgramVersion&) = delete;
};

} // namespace tessaly::test
