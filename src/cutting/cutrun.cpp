// "Découper". The loop and its timing are drawn in cutrun.h.
#include "cutting/cutrun.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "common/files.h"
#include "common/records.h"
#include "common/textrules.h"
#include "cutting/cuttingmessages.h"
#include "cutting/stepchannel.h"
#include "port/emittick.h"

namespace tarvel {

namespace msg = cutting_messages;

namespace {


// A record of the cutting file: the decimal digits of a value 0..255, blanks around
// them aside.
std::optional<int> recordValue(std::string_view text) {
    const auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    for (char ch : text)
        if (ch < '0' || ch > '9') return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value > 255) return std::nullopt;
    return value;
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

// Ticks of a cutting file by the feed they run at. Only the run sets outOfMaterial,
// from the records alone, so the file tells exactly which tick runs at which feed.
struct TickCounts {
    std::uint64_t beforeFirstPlunge = 0;  // at the slider as the run set it at its start
    std::uint64_t inMaterial = 0;         // at the cutting feed
    std::uint64_t outOfMaterial = 0;      // at the rapid feed

    std::uint64_t total() const { return beforeFirstPlunge + inMaterial + outOfMaterial; }
};

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

// Reads the whole file before anything is sent: every record must be a port value.
// Counts the ticks of each kind, running the in-material test as the run will.
std::optional<Message> checkCutFile(const std::string& path, const RunSetup& setup, TickCounts& counts) {
    RecordReader reader(path);
    if (!reader.isOpen()) return msg::cutFileUnreadable(path);
    std::string line;
    int outOfMaterial = 1;
    bool plunged = false;
    for (;;) {
        const std::int64_t lineNumber = reader.lineNumber();
        if (!reader.readLine(line)) break;
        const std::optional<int> r = recordValue(line);
        if (!r) return msg::cutRecordNotPortValue(lineNumber, line);
        if (outOfMaterial == 1 && setup.enters(*r)) {
            outOfMaterial = 0;
            plunged = true;
        }
        if (outOfMaterial == 0 && setup.leaves(*r)) outOfMaterial = 1;
        ++countOf(counts, kindOf(outOfMaterial, plunged));
    }
    if (reader.failed()) return msg::cutFileUnreadable(path);
    return std::nullopt;
}

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
    RunSpeed(const CutControl& control, double coefficient) : control_(control), c_(coefficient) {}
    double sliderValue() override { return control_.slider; }
    double coefficient() override { return c_; }

private:
    const CutControl& control_;
    double c_;
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

CutRunResult runCutProgram(CuttingForm& form, CutControl& control, ZSense sense, ParallelPort& port,
                           UserDialogs& dialogs, EventPump& pump, DelayWaiter& waiter, CutRunView& view) {
    CutRunResult result;
    auto refuse = [&](const Message& m) {
        dialogs.tell(m);
        result.end = CutRunEnd::Refused;
        result.problem = m;
        return result;
    };
    auto aborted = [&](const TallyWaiter& tally) {
        result.end = CutRunEnd::Aborted;
        result.delayIterations = tally.total;
        return result;
    };

    control.clearRunRequests();
    const RunSetup setup = setupOf(form, sense);
    // Feeds that are not numbers from 0 to 100 are refused below; until then they change
    // nothing, so a refused run leaves the live feeds and the slider as they were.
    const std::optional<double> cuttingFeed = feedOf(form.cuttingFeed);
    const std::optional<double> rapidFeed = feedOf(form.rapidFeed);
    if (cuttingFeed && rapidFeed) {
        control.liveRapidFeed = *rapidFeed;
        control.liveCuttingFeed = *cuttingFeed;
        control.presetSlider(sliderFor(control.liveCuttingFeed));
        view.sliderChanged(control.slider);
    }

    if (form.jobName.empty()) return refuse(msg::kCutNameEmpty);
    if (!fileExists(form.jobName)) return refuse(msg::kCutFileNotFound);
    if (form.port == 0) return refuse(msg::kCutNoConfiguration);
    if (!cuttingFeed) return refuse(msg::cutFeedOutOfRange(msg::kCuttingFeedCaption, form.cuttingFeed));
    if (!rapidFeed) return refuse(msg::cutFeedOutOfRange(msg::kRapidFeedCaption, form.rapidFeed));
    double coefficient = 0;
    if (const std::optional<Message> m = checkCoefficient(form.speedCoefficient, coefficient)) return refuse(*m);
    TickCounts counts;
    if (const std::optional<Message> m = checkCutFile(form.jobName, setup, counts)) return refuse(*m);
    result.totalTicks = counts.total();

    const bool yes = dialogs.confirm(msg::kCutConfirm, false);
    if (pump.abortRequested()) {
        result.end = CutRunEnd::Aborted;
        return result;
    }
    if (!yes) {
        result.end = CutRunEnd::Declined;
        return result;
    }

    dialogs.setBusy(true);
    view.hideCuttingWindow();
    view.showProgressWindow();
    CutControlFlags& flags = control.flags;
    flags.outOfMaterial = 1;  // the program starts at the origin with the tool raised
    std::optional<RecordReader> reader(std::in_place, form.jobName);
    port.useWiring(wiringOf(form));

    RunSpeed speed(control, coefficient);
    TallyWaiter tally(waiter);
    StepOutput out{port, form.port, pump, tally, speed};
    TimeLeft timeLeft(counts, coefficient);
    auto report = [&] { view.progress({result.ticksSent, result.totalTicks, timeLeft.microseconds(control)}); };
    report();

    auto moveSlider = [&](double feed) {
        control.setSlider(sliderFor(feed));
        view.sliderChanged(control.slider);
    };
    int r = 0;
    bool plunged = false;
    // Runs between the tick's DIR-only write and its first delay. The flag changes
    // before the slider, so the slider's change rule stores back the same feed.
    const std::function<void()> inMaterialTest = [&] {
        if (flags.outOfMaterial == 1 && setup.enters(r)) {
            flags.outOfMaterial = 0;
            plunged = true;
            moveSlider(control.liveCuttingFeed);
        }
        if (flags.outOfMaterial == 0 && setup.leaves(r)) {
            flags.outOfMaterial = 1;
            moveSlider(control.liveRapidFeed);
        }
        // The full value follows without a yield, so the tick counts as sent from here.
        ++result.ticksSent;
        timeLeft.tickSent(kindOf(flags.outOfMaterial, plunged));
        report();
    };

    std::optional<Message> trouble;
    if (!reader->isOpen()) trouble = msg::cutFileUnreadable(form.jobName);
    std::string line;
    while (!trouble) {
        // Every record is sent, the last one too: it belongs to the return to the origin.
        const std::int64_t lineNumber = reader->lineNumber();
        if (!reader->readLine(line)) {
            if (reader->failed()) trouble = msg::cutFileUnreadable(form.jobName);
            break;
        }
        const std::optional<int> value = recordValue(line);
        if (!value) {
            trouble = msg::cutRecordChangedDuringRun(lineNumber, line);
            break;
        }
        r = *value;
        if (!emitTick(out, r & setup.dirMask, r, TickPattern::CutProgram, inMaterialTest)) return aborted(tally);

        if (flags.pauseRequested == 1) {
            dialogs.tell(msg::kCutPaused);
            if (pump.abortRequested()) return aborted(tally);
            if (!moveZ(out, setup.clearanceSteps, setup.up, setup.zClock)) return aborted(tally);
            dialogs.setBusy(false);
            // A "Reprise" pressed before the pause is still set: the tool comes back at once.
            while (flags.resumeRequested != 1)
                if (!yieldAndContinue(pump)) return aborted(tally);
            if (!moveZ(out, setup.clearanceSteps, setup.down, setup.zClock)) return aborted(tally);
            dialogs.setBusy(true);
            flags.pauseRequested = 0;
            flags.resumeRequested = 0;
        }
        if (!yieldAndContinue(pump)) return aborted(tally);
        if (flags.deeperRequested == 1) {
            if (!moveZ(out, setup.oneMmSteps, setup.down, setup.zClock)) return aborted(tally);
            flags.deeperRequested = 0;
        }
        if (!yieldAndContinue(pump)) return aborted(tally);
        if (flags.shallowerRequested == 1) {
            if (!moveZ(out, setup.oneMmSteps, setup.up, setup.zClock)) return aborted(tally);
            flags.shallowerRequested = 0;
        }
        // A stop is taken only here, at the end of a tick, after its pause and moves.
        if (flags.stopRequested == 1) break;
    }
    result.delayIterations = tally.total;

    bool stopped = false;
    if (flags.stopRequested == 1 || trouble) {
        dialogs.setBusy(false);
        if (trouble) dialogs.tell(*trouble);
        dialogs.tell(msg::kCutStopped);
        view.hideProgressWindow();
        view.showCuttingWindow();
        flags.stopRequested = 0;
        stopped = true;
    }
    reader.reset();  // closes the cutting file
    dialogs.setBusy(false);
    if (!stopped) dialogs.tell(msg::kCutFinished);
    form.cuttingFeed = decimalText(control.liveCuttingFeed);
    form.rapidFeed = decimalText(control.liveRapidFeed);
    view.showCuttingWindow();
    view.closeProgressWindow();

    result.end = stopped ? CutRunEnd::Stopped : CutRunEnd::Finished;
    result.problem = trouble;
    return result;
}

}  // namespace tarvel
