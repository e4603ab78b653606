#pragma once
// Destination code 10: makes the contact items of one contacts folder directly under
// Outlook's default Contacts folder hold the records, one item per record. Where Outlook
// offers the folder's table, only what differs is changed, so unchanged contacts keep
// their identity; elsewhere every contact item is replaced. No member that Outlook's
// security guard protects is called: contents are never read back. What the items hold
// is known from a record of what the last run wrote, kept per folder and vouched for by
// each item's EntryID and modification time; any other item is rewritten.
#include "base/RunServices.h"
#include "contacts/ContactList.h"
#include "destinations/outlook/BusyRetry.h"

#include <windows.h>
#include <oaidl.h>

#include <chrono>
#include <functional>
#include <string>

namespace tessaly {

// Creates Outlook's application object and hands it out as IDispatch. The seam that
// lets tests drive the destination with in-process fakes.
using OutlookFactory = std::function<HRESULT(IDispatch** application)>;

// The real thing: CoCreateInstance of "Outlook.Application", in-process or local server.
HRESULT CreateOutlookApplication(IDispatch** application);

// True when the folder holds every record and was reported; false when Outlook could not
// be created (after an error notice), the stop flag was already set, or the folder holds
// fewer records than the list (after a warning naming both counts). A failed automation call
// raises EOleError with the component's text; everything obtained is released first.
// A call that Outlook refuses as busy is tried again for up to `busyLimit`; after that
// EComponentBusy is raised with "Microsoft Outlook is busy. Please try again later.".
// The folder's record is kept in `recordDirectory`, or in the user's local data folder of
// the program when that is empty.
bool SyncOutlook(const ContactList& list, const std::string& folderName, IRunServices& services,
                 const OutlookFactory& createApplication = CreateOutlookApplication,
                 std::chrono::milliseconds busyLimit = kOutlookBusyLimit, const std::wstring& recordDirectory = {});

// The whole number before the first "." of Outlook's version text; -1 when there is none.
int OutlookMajorVersion(const std::string& version);

} // namespace tessaly
