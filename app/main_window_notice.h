// The notice window as the main window shows it: the classroom's notice box, with the text
// put into its label once the box is sized to it.
#pragma once

#include <string>

#include "widgets/overlay_wnd.h"

class NoticeWindow : public OverlayWnd {
 public:
  void SetNoticeText(const std::wstring& text);
};
