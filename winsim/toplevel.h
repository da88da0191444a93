// The simulated desktop: top-level windows of other processes with their class
// names, in enumeration order, and the messages posted to them.
#ifndef WINSIM_TOPLEVEL_H
#define WINSIM_TOPLEVEL_H

#include <string>
#include <vector>

#include "machine.h"

namespace sim {

// Adds a top-level window after those already there; with `unreadable` its
// class name cannot be read (GetClassNameA fails, as for a window that has
// just been destroyed).
HWND AddTopLevelWindow(const std::string &className, bool unreadable = false);

struct PostedMessage {
    unsigned long long time;  // virtual time of the post
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
const std::vector<PostedMessage> &PostedMessages();

}  // namespace sim

#endif
