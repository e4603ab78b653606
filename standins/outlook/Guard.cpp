#include "Guard.h"

#include "Objects.h"
#include "standins/common/EnvironmentText.h"

namespace outlook_standin {

namespace {

HANDLE g_client = nullptr;
int g_prompts = 0;

// The objects a client still holds, besides the one whose call shows the prompt (the
// call keeps it alive).
bool ClientHoldsObjects()
{
    return LiveObjects() > 1;
}

// A modal prompt's loop: it serves the messages of the server's thread, through which
// COM delivers the client's releases (and its other calls, refused while it shows),
// until the client lets go of everything or its process ends, or the server is told
// to quit. Nothing answers it.
void ShowPrompt()
{
    ++g_prompts;
    const DWORD handles = g_client != nullptr ? 1 : 0;
    bool ended = false;
    while (!ended && ClientHoldsObjects()) {
        const DWORD woke = ::MsgWaitForMultipleObjects(handles, &g_client, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0 && handles == 1)
            break;
        if (woke == WAIT_FAILED)
            break;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
                ended = true;
                break;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    --g_prompts;
}

} // namespace

void AskGuard()
{
    const std::wstring mode = standins::EnvironmentText(L"TESSALY_OUTLOOK_GUARD");
    if (mode.empty())
        return;
    // Counted before it blocks, so a call that never returns is seen too.
    Store::Instance().CountProtectedCall();
    if (mode == L"prompt")
        ShowPrompt();
    // Any other value denies, as the safest policy does.
    Fail(kGuardDenied, L"A program tried to access e-mail address information stored in Outlook, and the access "
                       L"was denied.");
}

bool PromptShowing()
{
    return g_prompts > 0;
}

void SetClientProcess(HANDLE process)
{
    g_client = process;
}

} // namespace outlook_standin
