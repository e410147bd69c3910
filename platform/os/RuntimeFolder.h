#pragma once

// The folder where this user's programs keep their sockets and lock files: private to the user,
// so that another user can neither read nor replace what lies there.

#include <string>

namespace platform::os {

// The private runtime folder of this user, with a trailing '/': $XDG_RUNTIME_DIR when it is an
// absolute folder owned by the effective user, else ${TMPDIR:-/tmp}/korvel-<uid>, made with mode
// 0700 when missing. Throws std::runtime_error naming the folder when it exists but is not a
// folder of the current user that only the user can write, or cannot be made.
std::string privateRuntimeFolder();

// Makes the folder with mode 0700 when it is missing, then checks that it is a folder (not a
// symbolic link) of the effective user that nobody else can write. Throws std::runtime_error
// naming the folder otherwise. `what` names the folder's use in the message.
void preparePrivateFolder(const std::string& folder, const std::string& what);

} // namespace platform::os
