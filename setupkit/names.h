// Product names that the installer and the uninstaller share. Each is spelled
// here once; both programs find every file, key, service and rule again from
// these names alone.
#ifndef SETUPKIT_NAMES_H
#define SETUPKIT_NAMES_H

// The application's file name, and caption of the message after a failed write of it.
#define VELODAR_APP_FILE "Velodar.exe"
// Appended to a special folder to form the product's folder.
#define VELODAR_FOLDER_SUFFIX "\\Velodar\\"
// Service name and service display name.
#define VELODAR_SERVICE_NAME "Velodar Service"
// Firewall rule name, shortcut description and display name of the uninstall entry.
#define VELODAR_SERVER_NAME "Velodar Server"
// Start-menu and desktop shortcut file name.
#define VELODAR_SHORTCUT_FILE VELODAR_SERVER_NAME ".lnk"
// Description and file name of the SendTo shortcut ("Velodar, to the i-appli").
#define VELODAR_SENDTO_DESCRIPTION "Velodar iアプリへ"
#define VELODAR_SENDTO_FILE VELODAR_SENDTO_DESCRIPTION ".lnk"
// Window class of the running application, value name under the Run keys and
// caption of the installer's own messages.
#define VELODAR_NAME "Velodar"
// The uninstall entry under HKEY_LOCAL_MACHINE.
#define VELODAR_UNINSTALL_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velodar"
// The uninstaller's file name in the Windows folder.
#define VELODAR_UNINSTALLER_FILE "uninstall_Velodar.exe"
// Movie data and terms text in the product folder (the terms text also beside the installer).
#define VELODAR_MOVIE_FILE "mov.dat"
#define VELODAR_TERMS_FILE "licence.txt"
// Files that the application itself may leave in the product folder.
#define VELODAR_INI_FILE "Velodar.ini"
#define VELODAR_STARTUP_LOG_FILE "startup_log.txt"

#endif
