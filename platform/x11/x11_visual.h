// The X visual of the windows of our own.
#pragma once

namespace flakemorph {

// A window of our own shows a frame by drawing only what changed, straight into 32-bit pixels
// of 8-bit channels. Where the display's own visual has other pixels (16 or 30 bits deep), SDL
// is asked for a visual of 8-bit channels instead, which servers offer beside their own (the
// Composite extension's 32-bit one); the server then converts only what changed. Without one
// a 16-bit display has whole pages converted by SDL, and any other depth ends the program
// through FailToOpen, saying so. Before SDL creates a window; a display that cannot be reached
// is left for SDL to report.
void ChooseWindowVisual();

}  // namespace flakemorph
