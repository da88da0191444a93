#include "install.h"

char g_appPath[MAX_PATH];
char g_uninstallerPath[MAX_PATH];
