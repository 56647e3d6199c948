// The end of the desktop session as the window system's backends see it.
#pragma once

namespace win::system {

// Tells the console control handlers CTRL_LOGOFF_EVENT, from any thread; with none registered,
// the first one registered hears it.
void DeliverLogoff();

}  // namespace win::system
