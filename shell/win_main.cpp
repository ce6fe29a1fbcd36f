// The runtime's GUI entry: it has constructed the static objects by now, and
// the shell takes everything else from the system itself.
#include "shell/saver_shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    saverEntry();
}
