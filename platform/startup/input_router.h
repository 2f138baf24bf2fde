#pragma once
// Where a display's input goes: edits of the recorded battery to the battery provider, the rest
// to the application, which carries out what a person did. Input that cannot be carried out goes
// back to the display with the reason.

#include "platform/display/display_slot.h"

class InputRouter final : public InputSink {
  public:
    void take(Display& display, const Input& input) override;
};
