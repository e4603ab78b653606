#include "destinations/windows_contacts/ContactFileNames.h"

#include <algorithm>
#include <array>

namespace tessaly {

namespace {
bool IsDelimiter(char ch)
{
    return ch == '\\' || ch == '/';
}

bool IsForbiddenInFileName(char ch)
{
    if (static_cast<unsigned char>(ch) < 32)
        return true;
    switch (ch) {
    case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
        return true;
    default:
        return false;
    }
}

// Windows opens these devices for any file name whose part before the first dot is one
// of them, whatever the extension.
bool IsDeviceName(std::string_view baseName)
{
    static constexpr std::array<std::string_view, 22> kDevices = {
        "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
        "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    std::string stem = UniqueFileNames::AsciiUpper(baseName.substr(0, baseName.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (std::string_view device : kDevices)
        if (stem == device)
            return true;
    return false;
}
} // namespace

bool IsPlainFolderName(std::string_view name)
{
    if (name.empty() || name.back() == '.' || name.back() == ' ')
        return false; // also "." and ".."
    if (std::any_of(name.begin(), name.end(), IsForbiddenInFileName))
        return false;
    return !IsDeviceName(name);
}

std::string ContactFileExtension(std::string_view path)
{
    const size_t nameStart = path.find_last_of("\\/:");
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (nameStart != std::string_view::npos && dot < nameStart))
        return {};
    return std::string(path.substr(dot));
}

std::string_view WithoutFileExtension(std::string_view path)
{
    return path.substr(0, path.size() - ContactFileExtension(path).size());
}

std::string DirectoryPart(std::string_view path)
{
    const size_t last = path.find_last_of("\\/:");
    if (last == std::string_view::npos)
        return {};
    return std::string(path.substr(0, last + 1));
}

std::string WithTrailingDelimiter(std::string_view folder)
{
    std::string result(folder);
    if (result.empty() || !IsDelimiter(result.back()))
        result += '\\';
    return result;
}

std::string SafeFileBaseName(std::string_view baseName, const std::function<std::string()>& newIdentifier)
{
    std::string name;
    name.reserve(baseName.size());
    for (char ch : baseName)
        name += IsForbiddenInFileName(ch) ? '_' : ch;
    if (name.find_first_not_of('.') == std::string::npos)
        return newIdentifier();
    if (IsDeviceName(name)) {
        const size_t dot = std::min(name.find('.'), name.size());
        return name.substr(0, dot) + "_" + name.substr(dot);
    }
    return name;
}

UniqueFileNames::UniqueFileNames() : fold_(AsciiUpper) {}

UniqueFileNames::UniqueFileNames(Fold fold) : fold_(std::move(fold)) {}

std::string UniqueFileNames::Claim(std::string_view baseName)
{
    std::string name(baseName);
    for (int n = 2; !used_.insert(fold_(name)).second; ++n)
        name = std::string(baseName) + " (" + std::to_string(n) + ")";
    return name;
}

std::string UniqueFileNames::AsciiUpper(std::string_view text)
{
    std::string result(text);
    for (char& ch : result)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return result;
}

} // namespace tessaly
