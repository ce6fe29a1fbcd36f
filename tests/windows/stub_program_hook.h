// A stand-in for the program's hooks: records what reaches them and can be
// told to end the saver window as soon as it exists.
#pragma once

#include <windows.h>

#include <vector>

namespace stubhook {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message that reached sceneWindowProc, in order.
extern std::vector<Seen> seen;
// Messages the hook answers itself with 0 instead of passing them on.
extern std::vector<UINT> swallowed;
// A message the hook answers by throwing a C++ exception, as a failing
// program would; 0 for none.
extern UINT throwOn;
// When set, the window destroys itself right after its creation, so a
// window mode's message loop ends on its own.
extern bool destroyAfterCreate;

// What the last window creation looked like.
extern HWND createdWindow;
extern HWND createdParent;
extern RECT createdClient;
extern RECT createdFrame;  // in screen coordinates

extern BOOL registerResult;
extern int registerCalls;
// Dialogs opened with configDialogProc end at once with this result.
extern INT_PTR dialogResult;
extern int dialogCalls;
extern HWND dialogOwner;

void reset();
bool sawMessage(UINT message);

} // namespace stubhook
