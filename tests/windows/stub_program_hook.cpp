#include "stub_program_hook.h"

#include "shell/saver_hooks.h"
#include "shell/saver_shell.h"

#include <algorithm>
#include <stdexcept>

namespace stubhook {

std::vector<Seen> seen;
std::vector<UINT> swallowed;
UINT throwOn = 0;
bool destroyAfterCreate = false;
HWND createdWindow = nullptr;
HWND createdParent = nullptr;
RECT createdClient = {0, 0, 0, 0};
RECT createdFrame = {0, 0, 0, 0};
BOOL registerResult = TRUE;
int registerCalls = 0;
INT_PTR dialogResult = 42;
int dialogCalls = 0;
HWND dialogOwner = nullptr;

namespace {
const UINT destroyNow = WM_APP + 77;
}

void reset()
{
    seen.clear();
    swallowed.clear();
    throwOn = 0;
    destroyAfterCreate = false;
    createdWindow = nullptr;
    createdParent = nullptr;
    createdClient = RECT{0, 0, 0, 0};
    createdFrame = RECT{0, 0, 0, 0};
    registerResult = TRUE;
    registerCalls = 0;
    dialogResult = 42;
    dialogCalls = 0;
    dialogOwner = nullptr;
}

bool sawMessage(UINT message)
{
    return std::any_of(seen.begin(), seen.end(), [message](const Seen& s) { return s.message == message; });
}

} // namespace stubhook

using namespace stubhook;

LRESULT CALLBACK sceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.push_back(Seen{window, message, wParam, lParam});
    if (throwOn && message == throwOn)
        throw std::runtime_error("the program failed");
    if (message == WM_CREATE) {
        createdWindow = window;
        createdParent = GetParent(window);
        GetClientRect(window, &createdClient);
        GetWindowRect(window, &createdFrame);
        if (destroyAfterCreate)
            PostMessageA(window, destroyNow, 0, 0);
        return 0;
    }
    if (message == destroyNow) {
        DestroyWindow(window);
        return 0;
    }
    if (std::find(swallowed.begin(), swallowed.end(), message) != swallowed.end())
        return 0;
    return shellDefaultProc(window, message, wParam, lParam);
}

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        ++dialogCalls;
        dialogOwner = GetWindow(dialog, GW_OWNER);
        EndDialog(dialog, dialogResult);
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI registerConfigClasses(HINSTANCE)
{
    ++registerCalls;
    return registerResult;
}
