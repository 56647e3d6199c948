// The skinnable window library: windows built from XML layouts in the skin archive, their
// controls and notifications, and the message loop. Everything is in namespace DuiLib.
#pragma once

#include "duilib/ui_containers.h"
#include "duilib/ui_control.h"
#include "duilib/ui_controls.h"
#include "duilib/ui_manager.h"
#include "duilib/ui_string.h"
#include "duilib/ui_window.h"
