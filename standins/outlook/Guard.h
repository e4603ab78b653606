#pragma once
// Outlook's Object Model Guard, as a company policy or a missing antivirus sets it for a
// program that automates Outlook from another process. TESSALY_OUTLOOK_GUARD in the
// server's environment chooses: "deny" fails every protected member as an automatic
// denial does; "prompt" blocks it as the modal warning does, which nobody answers in an
// unattended run, until the client gives up (lets go of every object) or ends. Unset, the
// caller is trusted. Either way on, each protected call is counted in the store.
#include <windows.h>

namespace outlook_standin {

// What a denied call returns ("Outlook Object Model Security Warnings": MAPI_E_NO_SUPPORT).
inline constexpr HRESULT kGuardDenied = static_cast<HRESULT>(0x80040102);

// Called first by every protected member; throws the denial when the guard is on.
void AskGuard();

// True while a prompt is shown: the server then refuses automation calls as busy.
bool PromptShowing();

// The process of the server's one client: its end ends a prompt. Not owned.
void SetClientProcess(HANDLE process);

} // namespace outlook_standin
