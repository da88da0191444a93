// netapi32: the local account enumeration. The product does not import
// netapi32; it loads the system folder's copy by full path and resolves these
// two functions by name, so they are declared here only as the types of the
// pointers it resolves, together with the structure and constants they use.
#ifndef WINSIM_API_NETAPI_H
#define WINSIM_API_NETAPI_H

#include "base.h"

typedef DWORD NET_API_STATUS;
#define NET_API_FUNCTION WINAPI

#define NERR_Success 0u
#define ERROR_INVALID_LEVEL 124u
#define NERR_BufTooSmall 2123u
#define NERR_InvalidComputer 2351u

// Filters of NetUserEnum.
#define FILTER_TEMP_DUPLICATE_ACCOUNT 0x0001u
#define FILTER_NORMAL_ACCOUNT 0x0002u
#define FILTER_INTERDOMAIN_TRUST_ACCOUNT 0x0008u
#define FILTER_WORKSTATION_TRUST_ACCOUNT 0x0010u
#define FILTER_SERVER_TRUST_ACCOUNT 0x0020u

// As preferred maximum length: return everything in one buffer.
#define MAX_PREFERRED_LENGTH ((DWORD)-1)

typedef struct _USER_INFO_0 {
    LPWSTR usri0_name;
} USER_INFO_0, *PUSER_INFO_0, *LPUSER_INFO_0;

// NetUserEnum(servername, level, filter, bufptr, prefmaxlen, entriesread, totalentries, resume_handle)
typedef NET_API_STATUS(NET_API_FUNCTION *WINSIM_NETUSERENUM)(LPCWSTR servername, DWORD level, DWORD filter,
                                                             LPBYTE *bufptr, DWORD prefmaxlen, LPDWORD entriesread,
                                                             LPDWORD totalentries, PDWORD resume_handle);
// NetApiBufferFree(Buffer)
typedef NET_API_STATUS(NET_API_FUNCTION *WINSIM_NETAPIBUFFERFREE)(LPVOID Buffer);

#endif
