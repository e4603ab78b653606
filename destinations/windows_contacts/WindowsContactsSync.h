#pragma once
// The Windows Mail destination: the contact list as contact files in a folder beside the
// user's own contact, replacing the contact files that folder held.
#include "destinations/windows_contacts/WindowsContactsPlatform.h"

#include "base/RunServices.h"
#include "contacts/ContactList.h"

#include <wrl/client.h>

#include <string>

namespace tessaly {

// True when Windows Contacts was reached and the folder's contact files hold every record
// of the list and nothing else, files that already held a record left untouched; false when Windows Mail is missing (after the error
// message), the stop flag was set before any work, or fewer files than records could be
// saved (after a warning naming both counts). The new files are built in a staging folder
// first: whatever fails (a false result, EOleError from a component call, EFileError from
// the replacement), the contact folder keeps the files it had.
[[nodiscard]] bool SyncWindowsContacts(const ContactList& list, const std::string& folderName,
                                       IRunServices& services,
                                       IWindowsContactsPlatform& platform = SystemWindowsContactsPlatform());

// The contact manager on Windows 6 or later with Windows Mail installed; otherwise none,
// after the error message "Windows Mail not found.".
Microsoft::WRL::ComPtr<IContactManager> CreateContactManager(IRunServices& services,
                                                              IWindowsContactsPlatform& platform);

// Finishes or undoes the swap of a run that was killed while replacing the contact files,
// and clears what such a run staged. Every run calls it before its download, whatever its
// destination: a folder must not stay half replaced. Answers the one notice to show when a
// swap was given up because its folder has become a file (where its old contacts are now),
// or nothing. Throws when a step fails.
[[nodiscard]] std::string FinishInterruptedSwap(IWindowsContactsPlatform& platform = SystemWindowsContactsPlatform());

// Paths here are UTF-8 and reach the file functions as wide text, so that names in any
// script survive.

// The folder `folderName` beside the own contact, without a trailing delimiter; empty
// when the own contact's path has no folder.
std::string ContactsFolderPath(const std::string& ownPath, const std::string& folderName);

} // namespace tessaly
