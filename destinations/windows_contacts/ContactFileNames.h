#pragma once
// Path and file-name rules of the contact files: where they go, what they are called,
// and how names that Windows cannot store or that clash within one run are made safe.
#include <functional>
#include <set>
#include <string>
#include <string_view>

namespace tessaly {

// Every contact file this program writes or replaces ends so, whatever the user's own
// contact file is called.
inline constexpr char kContactFileExtension[] = ".contact";

// True when `name` (UTF-8) can only mean one folder directly inside another: not "." or
// "..", none of \ / : * ? " < > | or a control code, not a device name (CON, NUL, COM1...),
// and not ending in a dot or a blank, which Windows would drop. In UTF-8 every byte of a
// character beyond ASCII is 0x80 or more, so no part of one is read as "\" or "|", as the
// second byte of a double-byte ANSI character (0x5C in 表) would be.
bool IsPlainFolderName(std::string_view name);

// The extension of the path's file name from its last ".", dot included; empty when none.
std::string ContactFileExtension(std::string_view path);

// The path without that extension.
std::string_view WithoutFileExtension(std::string_view path);

// The path up to and including its last "\", "/" or drive colon; empty when it has none.
std::string DirectoryPart(std::string_view path);

// The folder with exactly one trailing "\" (an existing "\" or "/" is kept).
std::string WithTrailingDelimiter(std::string_view folder);

// A base name that Windows accepts: \ / : * ? " < > | and codes below 32 become "_",
// device names (CON, NUL, COM1...) get a "_" appended, and a name that is empty or only
// dots is replaced by `newIdentifier()`.
std::string SafeFileBaseName(std::string_view baseName, const std::function<std::string()>& newIdentifier);

// Hands out each base name once per run: a name already given out comes back as
// "Name (2)", "Name (3)", ... Names are compared as the file system does, through `fold`
// (ASCII upper case unless another is given).
class UniqueFileNames {
public:
    using Fold = std::function<std::string(std::string_view)>;

    UniqueFileNames();
    explicit UniqueFileNames(Fold fold);

    std::string Claim(std::string_view baseName);

    static std::string AsciiUpper(std::string_view text);

private:
    Fold fold_;
    std::set<std::string> used_;
};

} // namespace tessaly
