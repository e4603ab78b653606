#pragma once
// The Windows Mail destination: the contact list as contact files in a folder beside the
// user's own contact, replacing the contact files that folder held.
#include "destinations/windows_contacts/WindowsContactsPlatform.h"

#include "app/RunServices.h"
#include "contacts/Def_ListEx.h"

#include <wrl/client.h>

#include <string>

namespace tessaly {

// True when Windows Contacts was reached and the list was written and reported (the
// report counts the files actually saved); false when Windows Mail is missing (after the
// error message) or the stop flag was set before any work. A failed component call raises
// EOleError; files written before stay.
[[nodiscard]] bool SyncWindowsContacts(const TContactList& list, const std::string& folderName,
                                       IRunServices& services,
                                       IWindowsContactsPlatform& platform = SystemWindowsContactsPlatform());

// The contact manager on Windows 6 or later with Windows Mail installed; otherwise none,
// after the error message "Windows Mail not found.".
Microsoft::WRL::ComPtr<IContactManager> CreateContactManager(IRunServices& services,
                                                              IWindowsContactsPlatform& platform);

// Paths here are UTF-8 and reach the file functions as wide text, so that names in any
// script survive.

// Creates the folder `folderName` beside the own contact (one level) and deletes the
// contact files directly in it. Returns the folder without a trailing delimiter, or empty
// (nothing touched) when the own contact's path has no folder.
std::string PrepareContactsFolder(const std::string& ownPath, const std::string& folderName);

// One contact file per record, in list order, under names made safe and unique for this
// run; names still taken in the folder are not reused. Returns the number of files saved.
int WriteContactFiles(IWindowsContactsPlatform& platform, const TContactList& list, wchar_t* nodeName,
                      const std::string& folder, const std::string& extension);

} // namespace tessaly
