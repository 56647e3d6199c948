#include "media/engine_events.h"

#include <utility>

namespace {

template <int Code>
void FreeAs(WPARAM wparam) {
  if constexpr (kEngineEventHasRecord<Code>) AdoptEngineEvent<Code>(wparam);
}

template <int... Codes>
void FreeRecordOf(int code, WPARAM wparam, std::integer_sequence<int, Codes...>) {
  ((code == Codes ? FreeAs<Codes>(wparam) : void()), ...);
}

}  // namespace

void FreeEngineEvent(UINT message, WPARAM wparam) {
  if (!IsEngineEventMessage(message) || wparam == 0) return;
  // A non-zero wParam for a code without a record would be a sender's bug; the table keeps
  // the bridge from making one.
  FreeRecordOf(static_cast<int>(message - kEngineEventBase), wparam,
               std::make_integer_sequence<int, EID_LASTMILE_QUALITY + 1>());
}
