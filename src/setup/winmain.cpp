// Program entry: the whole run belongs to runSetup.
#include "setup/session.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    resetInstallSession();
    return runSetup(instance);
}
