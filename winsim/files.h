// The simulated file system: Windows paths with drive letters, case-insensitive
// names (folded as Windows folds them in code page 932), folders, bytes, open
// handles with access and share modes, files held by other processes, access
// denied, failing writes and the list of operations pending until a restart.
#ifndef WINSIM_FILES_H
#define WINSIM_FILES_H

#include <string>
#include <vector>

#include "machine.h"

namespace sim {

// Creates a folder and every missing folder above it.
void MakeDirs(const std::string &path);
// A folder link, as the compatibility junctions of Vista and later: every path
// at or below `link` names the same place at or below `target`.
void LinkFolder(const std::string &link, const std::string &target);
// Creates or replaces a file (its folders are created as needed).
void PutFile(const std::string &path, const std::string &bytes);
// Reads a file's bytes; false when there is no such file.
bool GetFile(const std::string &path, std::string *bytes);
bool FileExists(const std::string &path);
bool DirExists(const std::string &path);
// Names (as created) of a folder's entries, in creation order.
std::vector<std::string> ListDir(const std::string &path);

// Another process holds the file open with this share mode (FILE_SHARE_*):
// opens that the share mode does not allow fail with ERROR_SHARING_VIOLATION.
// A running program's image also refuses deletion with ERROR_ACCESS_DENIED.
void HoldFile(const std::string &path, DWORD shareMode, bool runningImage = false);
void ReleaseFile(const std::string &path);
// Opening, creating inside, or deleting this file or folder is refused.
void DenyAccess(const std::string &path);
// The file is read-only: it opens for reading only and cannot be deleted.
void MakeReadOnly(const std::string &path);
// Writes to this file fail with ERROR_DISK_FULL (nothing is written).
void FailWrites(const std::string &path);

// One WriteFile call, with the address of the bytes the caller passed.
struct WriteCall {
    std::string path;
    const void *data;
    DWORD size;
};
const std::vector<WriteCall> &Writes();

// Operations queued with MOVEFILE_DELAY_UNTIL_REBOOT ("" as target: deletion).
struct PendingOperation {
    std::string source;
    std::string target;
};
const std::vector<PendingOperation> &PendingOperations();
// Carries out the pending operations as Windows does at a restart (a folder is
// removed only when it is empty by then) and clears the list.
void Restart();

// The folded key of a path, as the file system compares names.
std::string PathKey(const std::string &path);

}  // namespace sim

#endif
