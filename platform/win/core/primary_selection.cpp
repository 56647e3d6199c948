#include <mutex>
#include <optional>
#include <string>

#include "core/backend.h"
#include "win/selection.h"

namespace win {

namespace {

struct OwnSelection {
  std::mutex mutex;
  std::wstring text;
};

OwnSelection& TheOwnSelection() {
  static OwnSelection own;
  return own;
}

}  // namespace

void OfferPrimarySelection(const std::wstring& text) {
  {
    std::lock_guard<std::mutex> lock(TheOwnSelection().mutex);
    TheOwnSelection().text = text;
  }
  core::TheBackend().OfferSelectionText(core::DesktopSelection::Primary, text);
}

std::wstring PrimarySelectionText() {
  std::optional<std::wstring> others =
      core::TheBackend().OthersSelectionText(core::DesktopSelection::Primary);
  if (others) return *others;
  std::lock_guard<std::mutex> lock(TheOwnSelection().mutex);
  return TheOwnSelection().text;
}

}  // namespace win
