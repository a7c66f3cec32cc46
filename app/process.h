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

// A screen-saver daemon stops its saver with SIGTERM and a script with SIGINT, which must end
// us even if whoever started us ignored or blocked them; xsecurelock sends SIGUSR1 when its
// password prompt closes, which would otherwise kill us. Before the window system starts.
void TakeSaverSignals();

// After SIGINT or SIGTERM the window system's own handler runs as before and the program ends
// in order; if it has not ended `grace_milliseconds` later, as when it waits on a display
// server that no longer answers, it ends then, with status 0. Once the window system has set
// up its handlers; a signal that has none (ignored, or left to its default) is left alone.
void EndSoonAfterEndingSignals(int grace_milliseconds);

}  // namespace flakemorph
