#pragma once
// Building one contact through the Windows Contacts objects and saving it to its file.
#include "destinations/windows_contacts/ContactInterfaces.h"
#include "destinations/windows_contacts/WindowsContactsPlatform.h"

#include "contacts/Contact.h"
#include "contacts/ContactMatching.h"

#include <span>
#include <string>

namespace tessaly {

// The node-name buffer: the own contact's path first (520 characters), then the name of
// each array node as it is created (260 characters offered).
inline constexpr DWORD kNodeBufferCapacity = 520;
inline constexpr DWORD kNodeNameCapacity = 260;

// Builds the contact of `record` (UTF-8) and saves it to `path`
// (UTF-8); true only when the file was saved. A contact object that cannot be made or lacks
// an interface gives false; a failed property call raises.
[[nodiscard]] bool WriteContactFile(IWindowsContactsPlatform& platform, const std::string& path, wchar_t* nodeName,
                                    const ContactInfo& record);

// The fields of `record` as its contact file holds them, in UTF-8: Initials, which has no
// place there, and blank fields are empty; every other value is kept untrimmed.
ContactValues ContactFileValues(const ContactInfo& record);

// Loads the contact file at `path` (UTF-8) through a new contact object and reads back
// the fields WriteContactFile sets, by the same node names. False when the file cannot be
// opened or loaded, when a labelled node of the layout is missing or labelled otherwise,
// or when a value is not text: such a file is not what this program wrote. Any other
// failed read raises.
[[nodiscard]] bool ReadContactFile(IWindowsContactsPlatform& platform, const std::string& path,
                                   ContactValues& values);

// Creates one element of `arrayName`, first or appended; its name lands in `nodeName`.
void AddArrayNode(IContactProperties* properties, const wchar_t* arrayName, bool appended, wchar_t* nodeName);

// Labels the node with one or two labels, in the order given.
void SetNodeLabels(IContactProperties* properties, const wchar_t* nodeName, std::span<const LPCWSTR> labels);

// Sets node + suffix to the untrimmed value (UTF-8), unless the value is blank.
void SetNodeString(IContactProperties* properties, const wchar_t* nodeName, const wchar_t* suffix,
                   std::string_view value);

// Writes the contact into a new or emptied file at `path` (UTF-8); false when the file
// could not be created or the save failed (a half-written file is removed).
[[nodiscard]] bool SaveContactFile(IWindowsContactsPlatform& platform, IPersistStreamInit* persist,
                                   const std::string& path);

} // namespace tessaly
