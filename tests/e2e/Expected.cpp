#include "Expected.h"

#include "base/FileHelpers.h"
#include "contacts/CsvReader.h"
#include "standins/common/EscapedFields.h"

#include <windows.h>

#include <vector>

namespace tessaly::test {

namespace {
ContactList Parse(const std::string& csvText)
{
    std::vector<std::string> lines = SplitLines(csvText);
    ContactList list(500);
    ParseRows(list, lines, [] { return false; });
    return list;
}

constexpr char kVersionKey[] = "Software\\Wine\\AppDefaults\\CorvaneTessaly.exe";
} // namespace

std::vector<std::string> ExpectedContactLines(const std::string& csvText)
{
    std::vector<std::string> lines;
    for (const ContactInfo& contact : Parse(csvText)) {
        std::string line = "contact";
        for (const auto& entry : ContactInfo::kFields) {
            line += '\t';
            line += standins::EscapeField(contact.Field(entry.field));
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> ExpectedDisplayNames(const std::string& csvText)
{
    std::vector<std::string> names;
    for (const ContactInfo& contact : Parse(csvText))
        names.emplace_back(contact.DisplayName());
    return names;
}

std::string SampleContacts()
{
    return ReadTextFile(std::string(TESSALY_SOURCE_DIR) + "\\samples\\contacts.csv");
}

ScopedEnvironment::ScopedEnvironment(const std::string& name, const std::string& value) : name_(name)
{
    char buffer[32768];
    const DWORD length = ::GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
    had_ = length > 0 && length < sizeof buffer;
    if (had_)
        old_.assign(buffer, length);
    ::SetEnvironmentVariableA(name.c_str(), value.c_str());
}

ScopedEnvironment::~ScopedEnvironment()
{
    ::SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr);
}

ScopedProgramVersion::ScopedProgramVersion(const std::string& version)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kVersionKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                         static_cast<DWORD>(version.size() + 1));
        ::RegCloseKey(key);
    }
}

ScopedProgramVersion::~ScopedProgramVersion()
{
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
}

} // namespace tessaly::test
