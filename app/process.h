// What the program settles about its process before it opens anything: standard streams that
// are surely open, and the signals that end it.
#pragma once

namespace flakemorph {

// Which of the standard streams were closed when the program started.
struct ClosedStreams {
  bool input = false;
  bool output = false;
  bool error = false;
};

// Opens /dev/null onto each of the descriptors 0, 1 and 2 that is closed, so that no file the
// program opens later (the display's connection above all) takes the place of a standard
// stream and receives what is printed there.
ClosedStreams OpenClosedStandardStreams();

// SIGINT and SIGTERM are the program's from its first moment, even if whoever started it
// ignored or blocked them (a shell does so for a job in the background, a daemon may): each one
// makes EndingSignalDescriptor() readable, for the program's one wait to end the run in order.
// If the program has not ended `grace_milliseconds` after the first one, as when it waits on a
// display server that no longer answers, it ends then, with status 0. First thing in main.
void TakeEndingSignals(int grace_milliseconds);
// Readable once an ending signal came; -1 before TakeEndingSignals and where there are none.
int EndingSignalDescriptor();
// Whether an ending signal came since the last call; empties the descriptor.
bool TakeEndingSignal();

// xsecurelock sends its saver SIGUSR1 when its password prompt closes, which would otherwise
// kill us. Before the window system starts.
void TakeSaverSignals();

}  // namespace flakemorph
