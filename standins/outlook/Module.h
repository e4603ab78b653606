#pragma once
// What the in-process library and the local server share: the class object of
// "Outlook.Application", the end of a session, and the registry entries of either form.
#include <windows.h>
#include <objbase.h>

#include <string>

namespace outlook_standin {

// The one class object. It is static and does not count its references.
IClassFactory* ClassObject();

// Locks taken through IClassFactory::LockServer.
long ServerLocks();

// Called when the last object is released (or the last lock dropped after it): records
// the session's calls in the store, lets go of the journal, then runs the idle handler.
void ObjectsGone();

// What the module does once nothing holds it any more; the local server ends there.
void SetIdleHandler(void (*handler)());

enum class ServerKind { InProcess, Local };

// Registers `path` as the server of "Outlook.Application" and removes the other kind's
// entry, since COM prefers an in-process server when both are there. The local server
// also registers the type library it carries, so its interfaces can be marshalled.
HRESULT RegisterServer(ServerKind kind, const std::wstring& path);
HRESULT UnregisterServer();

} // namespace outlook_standin
