// The Windows calls the program makes, offered under their own names on Linux.
// Include this instead of the system header; nothing behind it leaks X11 or POSIX types.
#pragma once

#include "win/types.h"
#include "win/messages.h"
#include "win/window.h"
#include "win/gdi.h"
#include "win/screen.h"
#include "win/shell.h"
#include "win/system.h"
