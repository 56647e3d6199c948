// The desktop's primary selection, for the window library only (the program never uses it):
// the text last selected in any program, which a middle click pastes. Windows has nothing of
// the kind; under X11 it is the PRIMARY selection, headless the process's own text.
#pragma once

#include <string>

namespace win {

void OfferPrimarySelection(const std::wstring& text);
// What another program selected last, or else what this one offered; empty when neither.
std::wstring PrimarySelectionText();

}  // namespace win
