// The installer's Windows entry point; everything happens in InstallerMain.
#include "installer.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    return InstallerMain(instance, previousInstance, commandLine, showCommand);
}
