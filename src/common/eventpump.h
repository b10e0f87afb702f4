// Motion loops hand control to the window system between port writes through this
// interface: the handlers that run inside yield() only set flags or slider values,
// which the loop reads at its next test.
#pragma once

namespace tarvel {

class EventPump {
public:
    virtual ~EventPump() = default;
    // Lets the window system process what is pending, then returns.
    virtual void yield() = 0;
    // True once the program is ending ("Quitter"): every motion loop checks it after
    // each yield and returns at once, without messages and without further writes.
    virtual bool abortRequested() const { return false; }
};

// Every motion loop's checkpoint: lets the window system run, then says whether the
// motion may go on (false once the program is ending).
inline bool yieldAndContinue(EventPump& pump) {
    pump.yield();
    return !pump.abortRequested();
}

// For the command-line companion and tests: nothing is pending, ever.
class NoEventPump final : public EventPump {
public:
    void yield() override {}
};

}  // namespace tarvel
