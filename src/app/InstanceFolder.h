#pragma once

#include <QString>
#include <optional>
#include <sys/types.h>
#include <unistd.h>

namespace lettergate {

// The folder that holds the running instance's socket and lock: one that only this user
// can enter, so nobody else can put a listener or a lock where Lettergate looks for
// them. It is $XDG_RUNTIME_DIR when that is such a folder, else
// $XDG_STATE_HOME/Lettergate, made here when missing. A folder is private when it is a
// folder itself (not a symbolic link), belongs to the user and grants nothing to group
// or others, and when none of its parents lets anyone but the user or root replace it:
// each belongs to one of them and is not writable by others unless it is sticky.
namespace InstanceFolder {

// The folder, with its parents' symbolic links resolved so that the path used is the
// path checked; nothing when neither folder is private. Each folder refused is logged
// on one line with the reason. `owner` is the user the folder must belong to: tests
// name another user to play a folder that is someone else's.
std::optional<QString> locate(uid_t owner = ::geteuid());

} // namespace InstanceFolder

} // namespace lettergate
