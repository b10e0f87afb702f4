// "Découper". The loop and its timing are drawn in cutrun.h.
#include "cutting/cutrun.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/files.h"
#include "common/textrules.h"
#include "cutting/cutprogram.h"
#include "cutting/cuttingmessages.h"
#include "cutting/stepchannel.h"
#include "port/emittick.h"
#include "port/portmessages.h"
#include "port/stepdecoder.h"

namespace tarvel {

namespace msg = cutting_messages;

namespace {

// The next record of the cutting file as a port value: an integer by the cutting
// file's record rule, from 0 to 255.
enum class NextRecord { Value, End, NotPortValue, Unreadable };

NextRecord nextPortValue(CutProgramReader& in, int& r) {
    std::int64_t v = 0;
    switch (in.next(v)) {
        case CutProgramReader::Status::Tick:
            if (v < 0 || v > 255) return NextRecord::NotPortValue;
            r = static_cast<int>(v);
            return NextRecord::Value;
        case CutProgramReader::Status::End: return NextRecord::End;
        case CutProgramReader::Status::NotInteger: return NextRecord::NotPortValue;
        case CutProgramReader::Status::ReadError: break;
    }
    return NextRecord::Unreadable;
}

// A feed field, read by the comma rule; it must fit the slider as 100 - feed.
std::optional<double> feedOf(std::string_view text) {
    const std::optional<double> v = commaNumber(text);
    if (!v || !(*v >= 0.0 && *v <= 100.0)) return std::nullopt;
    return v;
}

// Everything the run takes from the cutting window's fields when it starts.
struct RunSetup {
    int dirMask = 0;
    int zMask = 0;
    double zClock = 0;
    double up = 0;    // U
    double down = 0;  // D
    std::uint64_t clearanceSteps = 0;
    std::uint64_t oneMmSteps = 0;

    bool enters(int r) const { return (r & zMask) == down + zClock; }
    bool leaves(int r) const { return (r & zMask) == up + zClock; }
};

RunSetup setupOf(const CuttingForm& form, ZSense sense) {
    RunSetup s;
    const double zDir = leadingNumber(form.zDirWeight);
    s.zClock = leadingNumber(form.zClockWeight);
    s.dirMask = wholeValue(leadingNumber(form.xDirWeight) + leadingNumber(form.yDirWeight) + zDir +
                           leadingNumber(form.spareDirWeight));
    s.zMask = wholeValue(s.zClock + zDir);
    s.up = sense == ZSense::Normal ? zDir : 0.0;
    s.down = sense == ZSense::Normal ? 0.0 : zDir;
    const double stepsPerMmZ = leadingNumber(form.stepsPerMmZ);
    s.clearanceSteps = countedSteps(leadingNumber(form.toolChangeClearance) * stepsPerMmZ);
    s.oneMmSteps = countedSteps(stepsPerMmZ);
    return s;
}

enum class TickKind { BeforeFirstPlunge, InMaterial, OutOfMaterial };

TickKind kindOf(int outOfMaterial, bool plunged) {
    if (outOfMaterial == 0) return TickKind::InMaterial;
    return plunged ? TickKind::OutOfMaterial : TickKind::BeforeFirstPlunge;
}

std::uint64_t& countOf(TickCounts& counts, TickKind kind) {
    switch (kind) {
        case TickKind::BeforeFirstPlunge: return counts.beforeFirstPlunge;
        case TickKind::InMaterial: return counts.inMaterial;
        case TickKind::OutOfMaterial: break;
    }
    return counts.outOfMaterial;
}

// A fingerprint of each block of ticks the check read, so that the run sends exactly
// what was checked: a cutting file truncated, edited or replaced after the check stops
// the run before the first block that differs is sent. A few thousand ticks a block
// keeps the read ahead short against the step timing and the prints small (8 bytes).
class TickBlocks {
public:
    static constexpr std::size_t kTicks = 4096;

    void add(int r) {
        hash_ = mixed(hash_, r);
        if (++inBlock_ == kTicks) close();
    }
    void closeLast() {
        if (inBlock_ > 0) close();
    }
    std::size_t blocks() const { return prints_.size(); }
    std::size_t ticksOf(std::size_t block) const {
        return block + 1 < prints_.size() ? kTicks : lastTicks_;
    }
    std::uint64_t printOf(std::size_t block) const { return prints_[block]; }

    static std::uint64_t printOf(const std::vector<std::uint8_t>& values) {
        std::uint64_t h = kStart;
        for (std::uint8_t v : values) h = mixed(h, v);
        return h;
    }

private:
    static constexpr std::uint64_t kStart = 0xcbf29ce484222325ull;  // FNV-1a
    static std::uint64_t mixed(std::uint64_t h, int r) {
        return (h ^ static_cast<std::uint8_t>(r)) * 0x100000001b3ull;
    }
    void close() {
        prints_.push_back(hash_);
        lastTicks_ = inBlock_;
        hash_ = kStart;
        inBlock_ = 0;
    }
    std::vector<std::uint64_t> prints_;
    std::uint64_t hash_ = kStart;
    std::size_t inBlock_ = 0;
    std::size_t lastTicks_ = 0;
};

// Reads the whole file before anything is sent: every record must be a port value.
// Counts the ticks of each kind, running the in-material test as the run will, follows
// the tool through the ticks, and keeps the fingerprints the run compares against.
std::optional<Message> checkCutFile(const std::string& path, const RunSetup& setup, const Wiring& wiring,
                                    JobSurvey& survey, TickBlocks& blocks) {
    TickCounts& counts = survey.ticks;
    StepPosition at;
    CutProgramReader reader(path);
    if (!reader.isOpen()) return msg::cutFileUnreadable(path);
    int outOfMaterial = 1;
    bool plunged = false;
    int r = 0;
    for (;;) {
        const NextRecord next = nextPortValue(reader, r);
        if (next == NextRecord::End) break;
        if (next == NextRecord::Unreadable) return msg::cutFileUnreadable(path);
        if (next == NextRecord::NotPortValue) return msg::cutRecordNotPortValue(reader.lineNumber(), reader.lineText());
        if (outOfMaterial == 1 && setup.enters(r)) {
            outOfMaterial = 0;
            plunged = true;
        }
        if (outOfMaterial == 0 && setup.leaves(r)) outOfMaterial = 1;
        ++countOf(counts, kindOf(outOfMaterial, plunged));
        blocks.add(r);
        // Each tick writes its DIR lines alone first, so only its own CLOCK bits step.
        const AxisSteps step = decodeSteps(wiring, r & setup.dirMask, r);
        at.x += step.x, at.y += step.y, at.z += step.z;
        survey.low = {std::min(survey.low.x, at.x), std::min(survey.low.y, at.y), std::min(survey.low.z, at.z)};
        survey.high = {std::max(survey.high.x, at.x), std::max(survey.high.y, at.y), std::max(survey.high.z, at.z)};
    }
    blocks.closeLast();
    return std::nullopt;
}

// The run's reading of the cutting file: a block at a time, handed out only once it
// matches what the check read.
class CheckedTicks {
public:
    enum class Next { Value, End, Changed, Unreadable };

    CheckedTicks(const std::string& path, const TickBlocks& blocks) : reader_(path), blocks_(blocks) {}

    Next next(int& r) {
        if (at_ == values_.size()) {
            if (block_ == blocks_.blocks()) return Next::End;
            if (const Next n = readBlock(); n != Next::Value) return n;
        }
        r = values_[at_++];
        return Next::Value;
    }

private:
    Next readBlock() {
        values_.clear();
        at_ = 0;
        if (!reader_.isOpen()) return Next::Unreadable;
        int r = 0;
        while (values_.size() < blocks_.ticksOf(block_)) {
            const NextRecord next = nextPortValue(reader_, r);
            if (next == NextRecord::Unreadable) return Next::Unreadable;
            if (next != NextRecord::Value) return Next::Changed;
            values_.push_back(static_cast<std::uint8_t>(r));
        }
        if (TickBlocks::printOf(values_) != blocks_.printOf(block_)) return Next::Changed;
        ++block_;
        return Next::Value;
    }

    CutProgramReader reader_;
    const TickBlocks& blocks_;
    std::vector<std::uint8_t> values_;
    std::size_t at_ = 0;
    std::size_t block_ = 0;
};

// The slider value that shows a feed (a feed of 100 is no delay at all).
int sliderFor(double feed) {
    return static_cast<int>(roundHalfEven(100.0 - feed));
}

// The delays still to come, as CutProgress describes them. Delay counts are kept per
// slider value, since counting one can take as long as the loop it counts.
class TimeLeft {
public:
    TimeLeft(TickCounts remaining, double coefficient) : remaining_(remaining), c_(coefficient) {}

    void tickSent(TickKind kind) {
        std::uint64_t& n = countOf(remaining_, kind);
        if (n > 0) --n;
    }

    std::uint64_t microseconds(const CutControl& control) {
        const double total =
            2.0 * (static_cast<double>(remaining_.beforeFirstPlunge) * delay(0, control.slider) +
                   static_cast<double>(remaining_.inMaterial) * delay(1, sliderFor(control.liveCuttingFeed)) +
                   static_cast<double>(remaining_.outOfMaterial) * delay(2, sliderFor(control.liveRapidFeed)));
        if (!(total < 1.8e19)) return std::numeric_limits<std::uint64_t>::max();
        return static_cast<std::uint64_t>(total);
    }

private:
    double delay(int slot, int v) {
        Cached& k = cache_[slot];
        if (!k.valid || k.v != v) k = {true, v, static_cast<double>(stepDelayCount(v, c_))};
        return k.count;
    }

    struct Cached {
        bool valid = false;
        int v = 0;
        double count = 0;
    };
    TickCounts remaining_;
    double c_;
    Cached cache_[3];
};

// The speed of every delay of the run: the cut-in-progress slider, read afresh before
// each delay, and the coefficient field. The cutting window is hidden while the run
// lasts, so its field cannot change: reading it once at the start reads what every
// delay would read.
class RunSpeed final : public SpeedSource {
public:
    RunSpeed(const CutControl& control, double coefficient)
        : control_(control), c_(coefficient), slowest_(slowestSlider(coefficient)) {}
    // A slider moved past the slowest setting whose step lasts at most a second is taken
    // at that setting.
    double sliderValue() override { return std::min<double>(control_.slider, slowest_); }
    double coefficient() override { return c_; }

    static int slowestSlider(double c) {
        int v = 100;
        while (v > 0 && checkStepTime(v, c)) --v;
        return v;
    }

private:
    const CutControl& control_;
    double c_;
    int slowest_;
};

// Adds up the iterations of every delay on their way to the real waiter.
class TallyWaiter final : public DelayWaiter {
public:
    explicit TallyWaiter(DelayWaiter& inner) : inner_(inner) {}
    void wait(std::uint64_t iterations) override {
        total += iterations;
        inner_.wait(iterations);
    }
    std::uint64_t total = 0;

private:
    DelayWaiter& inner_;
};

// A manual Z move inside a cut: n steps with only the Z lines written.
bool moveZ(StepOutput& out, std::uint64_t steps, double dirOnly, double zClock) {
    const int first = wholeValue(dirOnly);
    const int full = wholeValue(dirOnly + zClock);
    for (std::uint64_t i = 0; i < steps; ++i)
        if (!emitTick(out, first, full, TickPattern::CutManualZ)) return false;
    return true;
}

}  // namespace

int CutProgress::percent() const {
    if (totalTicks == 0 || ticksDone >= totalTicks) return 100;
    return static_cast<int>(static_cast<double>(ticksDone) * 100.0 / static_cast<double>(totalTicks));
}

ZSense zSenseOf(const CuttingForm& form) {
    return readAxisInversion(form).z ? ZSense::Inverted : ZSense::Normal;
}

Wiring wiringOf(const CuttingForm& form) {
    return wiringOf(form, readAxisInversion(form), form.stepsPerMmX, form.stepsPerMmY, form.stepsPerMmZ);
}

std::optional<Message> surveyCutFile(const CuttingForm& form, ZSense sense, JobSurvey& survey) {
    survey = {};
    TickBlocks blocks;
    return checkCutFile(form.jobName, setupOf(form, sense), wiringOf(form), survey, blocks);
}

std::optional<std::uint64_t> estimatedRunMicroseconds(const TickCounts& ticks, const CuttingForm& form) {
    const std::optional<double> cuttingFeed = feedOf(form.cuttingFeed);
    const std::optional<double> rapidFeed = feedOf(form.rapidFeed);
    double c = 0;
    if (!cuttingFeed || !rapidFeed || checkCoefficient(form.speedCoefficient, c)) return std::nullopt;
    for (const double feed : {*cuttingFeed, *rapidFeed})
        if (checkStepTime(sliderFor(feed), c)) return std::nullopt;
    // As the run starts: the slider on the cutting feed.
    CutControl control;
    control.liveCuttingFeed = *cuttingFeed;
    control.liveRapidFeed = *rapidFeed;
    control.slider = sliderFor(*cuttingFeed);
    return TimeLeft(ticks, c).microseconds(control);
}

std::string jobExtentLine(const JobSurvey& survey, const CuttingForm& form) {
    const Wiring w = wiringOf(form);
    return msg::jobExtent(mmOf(survey.low, w), mmOf(survey.high, w), estimatedRunMicroseconds(survey.ticks, form));
}

namespace {

// One run of "Découper", in the order it goes: refuse or prepare, ask, play the ticks
// (each followed by the pause and the depth requests), end.
class CutRun {
public:
    CutRun(CuttingForm& form, CutControl& control, ZSense sense, ParallelPort& port, UserDialogs& dialogs,
           EventPump& pump, DelayWaiter& waiter, CutRunView& view)
        : form_(form), control_(control), flags_(control.flags), port_(port), dialogs_(dialogs), pump_(pump),
          view_(view), setup_(setupOf(form, sense)),
          paced_(waiter, pump, [this] { return flags_.stopRequested == 1; }), tally_(paced_) {}

    CutRunResult run() {
        if (std::optional<Message> m = refuseOrPrepare()) {
            dialogs_.tell(*m);
            result_.end = CutRunEnd::Refused;
            result_.problem = m;
            return result_;
        }
        const bool yes = dialogs_.confirm(msg::kCutConfirm, false);
        if (pump_.abortRequested()) {
            result_.end = CutRunEnd::Aborted;
            return result_;
        }
        if (!yes) {
            result_.end = CutRunEnd::Declined;
            return result_;
        }
        const bool played = playTicks();
        result_.delayIterations = tally_.total;
        if (!played) {
            result_.end = CutRunEnd::Aborted;
            return result_;
        }
        finish();
        return result_;
    }

private:
    // The checks made before the confirmation; nothing is sent when one fails.
    std::optional<Message> refuseOrPrepare() {
        control_.clearRunRequests();
        // Feeds that are not numbers from 0 to 100 are refused below; until then they
        // change nothing, so a refused run leaves the live feeds and the slider as they were.
        const std::optional<double> cuttingFeed = feedOf(form_.cuttingFeed);
        const std::optional<double> rapidFeed = feedOf(form_.rapidFeed);
        if (cuttingFeed && rapidFeed) {
            control_.liveRapidFeed = *rapidFeed;
            control_.liveCuttingFeed = *cuttingFeed;
            control_.presetSlider(sliderFor(control_.liveCuttingFeed));
            view_.sliderChanged(control_.slider);
        }
        if (form_.jobName.empty()) return msg::kCutNameEmpty;
        if (!fileExists(form_.jobName)) return msg::kCutFileNotFound;
        if (form_.port == 0) return msg::kCutNoConfiguration;
        if (!cuttingFeed) return msg::cutFeedOutOfRange(msg::kCuttingFeedCaption, form_.cuttingFeed);
        if (!rapidFeed) return msg::cutFeedOutOfRange(msg::kRapidFeedCaption, form_.rapidFeed);
        if (std::optional<Message> m = checkCoefficient(form_.speedCoefficient, coefficient_)) return m;
        for (const double feed : {*cuttingFeed, *rapidFeed})
            if (std::optional<Message> m = checkStepTime(sliderFor(feed), coefficient_)) return m;
        if (std::optional<Message> m = checkCutFile(form_.jobName, setup_, wiringOf(form_), survey_, blocks_))
            return m;
        result_.totalTicks = survey_.ticks.total();
        return std::nullopt;
    }

    // Sends every record, the last one too: it belongs to the return to the origin.
    // False when the program is ending.
    bool playTicks() {
        dialogs_.setBusy(true);
        view_.hideCuttingWindow();
        view_.showProgressWindow();
        flags_.outOfMaterial = 1;  // the program starts at the origin with the tool raised
        CheckedTicks ticks(form_.jobName, blocks_);
        port_.useWiring(wiringOf(form_));
        port_.clearFailedWrites();

        RunSpeed speed(control_, coefficient_);
        StepOutput out{port_, form_.port, pump_, tally_, speed};
        TimeLeft timeLeft(survey_.ticks, coefficient_);
        auto report = [&] { view_.progress({result_.ticksSent, result_.totalTicks, timeLeft.microseconds(control_)}); };
        report();

        int r = 0;
        bool plunged = false;
        // Runs between the tick's DIR-only write and its first delay. The flag changes
        // before the slider, so the slider's change rule stores back the same feed.
        const std::function<void()> inMaterialTest = [&] {
            if (flags_.outOfMaterial == 1 && setup_.enters(r)) {
                flags_.outOfMaterial = 0;
                plunged = true;
                moveSlider(control_.liveCuttingFeed);
            }
            if (flags_.outOfMaterial == 0 && setup_.leaves(r)) {
                flags_.outOfMaterial = 1;
                moveSlider(control_.liveRapidFeed);
            }
            // The full value follows without a yield, so the tick counts as sent from here.
            ++result_.ticksSent;
            timeLeft.tickSent(kindOf(flags_.outOfMaterial, plunged));
            report();
        };

        while (!trouble_) {
            const CheckedTicks::Next next = ticks.next(r);
            if (next == CheckedTicks::Next::End) break;
            if (next == CheckedTicks::Next::Unreadable) trouble_ = msg::cutFileUnreadable(form_.jobName);
            if (next == CheckedTicks::Next::Changed) trouble_ = msg::kCutFileChangedDuringRun;
            if (trouble_) break;
            if (!emitTick(out, r & setup_.dirMask, r, TickPattern::CutProgram, inMaterialTest) ||
                !handleRequests(out)) {
                if (port_.failedWrites() == 0) return false;  // the program is ending
                trouble_ = portmessages::motionStoppedByPort(port_.failureText());
            }
            // A stop is taken only here, at the end of a tick, after its pause and moves.
            if (flags_.stopRequested == 1) break;
        }
        return true;
    }

    // What the cut-in-progress window asked for during the tick: a pause, then one
    // millimetre deeper, then one shallower, with a yield before each depth test.
    bool handleRequests(StepOutput& out) {
        if (flags_.pauseRequested == 1) {
            dialogs_.tell(msg::kCutPaused);
            if (pump_.abortRequested()) return false;
            if (!moveZ(out, setup_.clearanceSteps, setup_.up, setup_.zClock)) return false;
            dialogs_.setBusy(false);
            view_.pauseChanged(true);
            // A "Reprise" pressed before the pause is still set: the tool comes back at once.
            // A stop ends the wait with the tool left raised: it is not lowered into the
            // material only to stop there.
            while (flags_.resumeRequested != 1 && flags_.stopRequested != 1)
                if (!yieldAndContinue(pump_)) return false;
            view_.pauseChanged(false);
            if (flags_.resumeRequested != 1) {
                flags_.pauseRequested = 0;
                return true;
            }
            if (!moveZ(out, setup_.clearanceSteps, setup_.down, setup_.zClock)) return false;
            dialogs_.setBusy(true);
            flags_.pauseRequested = 0;
            flags_.resumeRequested = 0;
        }
        if (!yieldAndContinue(pump_)) return false;
        if (flags_.deeperRequested == 1) {
            if (!moveZ(out, setup_.oneMmSteps, setup_.down, setup_.zClock)) return false;
            flags_.deeperRequested = 0;
        }
        if (!yieldAndContinue(pump_)) return false;
        if (flags_.shallowerRequested == 1) {
            if (!moveZ(out, setup_.oneMmSteps, setup_.up, setup_.zClock)) return false;
            flags_.shallowerRequested = 0;
        }
        return true;
    }

    // The last record sent, or a stop: the messages, the windows back, the live feeds
    // into the form.
    void finish() {
        const bool stopped = flags_.stopRequested == 1 || trouble_;
        if (stopped) {
            dialogs_.setBusy(false);
            if (trouble_) dialogs_.tell(*trouble_);
            dialogs_.tell(msg::kCutStopped);
            view_.hideProgressWindow();
            view_.showCuttingWindow();
            flags_.stopRequested = 0;
        }
        dialogs_.setBusy(false);
        if (!stopped) dialogs_.tell(msg::kCutFinished);
        form_.cuttingFeed = decimalText(control_.liveCuttingFeed);
        form_.rapidFeed = decimalText(control_.liveRapidFeed);
        view_.showCuttingWindow();
        view_.closeProgressWindow();
        result_.end = stopped ? CutRunEnd::Stopped : CutRunEnd::Finished;
        result_.problem = trouble_;
    }

    void moveSlider(double feed) {
        control_.setSlider(sliderFor(feed));
        view_.sliderChanged(control_.slider);
    }

    CuttingForm& form_;
    CutControl& control_;
    CutControlFlags& flags_;
    ParallelPort& port_;
    UserDialogs& dialogs_;
    EventPump& pump_;
    CutRunView& view_;
    const RunSetup setup_;
    PacedWaiter paced_;
    TallyWaiter tally_;
    double coefficient_ = 0;
    JobSurvey survey_;
    TickBlocks blocks_;
    std::optional<Message> trouble_;
    CutRunResult result_;
};

}  // namespace

CutRunResult runCutProgram(CuttingForm& form, CutControl& control, ZSense sense, ParallelPort& port,
                           UserDialogs& dialogs, EventPump& pump, DelayWaiter& waiter, CutRunView& view) {
    return CutRun(form, control, sense, port, dialogs, pump, waiter, view).run();
}

}  // namespace tarvel
