// Starting another program as a process of its own.
#pragma once

#include <spawn.h>
#include <string>
#include <vector>

namespace platform {

// Starts strProgram with argv vArgs (vArgs[0] is the program's own name)
// in the working directory strWorkDir. No descriptors beyond the standard
// three are passed on. Returns once the program has been executed or has
// failed to, waiting at most nWaitMs for that; the ended child is reaped in
// the background, so it leaves no zombie. The program starts with no
// signal blocked and every signal at its default action, whatever this
// process or the calling thread has blocked or ignored. Returns 0 and the
// process id in *pnPid, or the errno of the failure (ENOENT, EACCES, ...).
int SpawnProcess(const std::string& strProgram, const std::vector<std::string>& vArgs,
                 const std::string& strWorkDir, unsigned nWaitMs, int* pnPid = nullptr);

// Spawn attributes that give the new program an empty signal mask and the
// default action for every signal (POSIX_SPAWN_SETSIGMASK and
// POSIX_SPAWN_SETSIGDEF); 0 or the error. The caller destroys them after
// use.
int InitDefaultSignals(posix_spawnattr_t& attributes);

} // namespace platform
