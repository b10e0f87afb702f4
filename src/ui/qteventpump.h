// The window system's side of EventPump: a motion loop's yield() lets Qt deliver what
// is pending (button clicks, slider moves, "Quitter"), and abortRequested() reports the
// program's quitting flag, so that a loop returns after the yield during which the
// user chose "Quitter".
#pragma once

#include "common/eventpump.h"

namespace tarvel {

class QtEventPump final : public EventPump {
public:
    // `quitting` is the program's flag (AppContext::quitting); it must outlive the pump.
    explicit QtEventPump(const bool& quitting) : quitting_(quitting) {}

    void yield() override;
    bool abortRequested() const override { return quitting_; }

private:
    const bool& quitting_;
};

}  // namespace tarvel
