// The skinnable window library: windows built from XML layouts in the skin archive, their
// controls and notifications, and the message loop. Everything is in namespace ui.
#pragma once

#include "ui/ui_containers.h"
#include "ui/ui_control.h"
#include "ui/ui_controls.h"
#include "ui/ui_manager.h"
#include "ui/ui_string.h"
#include "ui/ui_window.h"
