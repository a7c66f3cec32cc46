// The Windows window system: the Win32 API directly. One top-most borderless window over each
// monitor, an ordinary framed window (--window), or a child window filling a window of another
// program (a screen saver's preview, /p, and --window-id). Also the screen saver's settings,
// kept per user in the registry, and their dialog. Between frames it waits for messages on a
// high-resolution waitable timer.
#pragma once

#include <memory>

#include "platform/saver_settings.h"
#include "platform/window_request.h"
#include "platform/window_system.h"

namespace flakemorph {

// Opens the windows `request` asks for. Ends the program with a message on stderr and status 1
// when a window cannot be opened, or the window to draw into does not exist. Hands its input
// to context.input.
std::unique_ptr<WindowSystem> OpenWindowsWindowSystem(const WindowRequest& request,
                                                      const EventContext& context);

// The settings stored under HKEY_CURRENT_USER\Software\flakemorph; the defaults where nothing
// or something unusable is stored.
SaverSettings LoadSaverSettings();

// Shows the settings dialog, owned by `owner` (0: none), until it is closed; OK stores them.
void RunSettingsDialog(WindowId owner);

}  // namespace flakemorph
