// Resource ids of the installer (shared by its resource script and its code).
#ifndef INSTALLER_RES_RESOURCE_H
#define INSTALLER_RES_RESOURCE_H

#define IDD_WELCOME 128
#define IDI_MAIN 128
#define IDR_APP_EXE 129
#define IDR_UNINSTALLER_EXE 130
#define IDD_TERMS 131
#define IDR_TERMS_TEXT 132
#define IDB_WELCOME 133
#define IDR_MOVIE_DATA 136

#define IDC_BACK 1001
#define IDC_TERMS_TEXT 1002
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
