// The signals a screen-saver daemon sends its saver, where the system has them: SIGTERM ends
// the program even if whoever started the daemon ignored or blocked it, and SIGUSR1
// (xsecurelock's prompt closing) is ignored rather than left to kill it. Windows stops its
// savers with window messages instead: nothing to do there.
#pragma once

namespace flakemorph {

void TakeSaverSignals();

}  // namespace flakemorph
