#pragma once
#include <cstdint>
#include <exception>
#include <functional>

// Progress of a long meshing run: the callback gets a fraction from 0 to 1 that never
// goes down, and returns false to stop the run. It is called from the thread that
// started the run only, a few hundred times a second at most.
using ProgressCallback = std::function<bool(double fraction)>;

// Thrown out of a meshing run whose progress callback returned false. Nothing the run
// was building is left behind.
class MeshingCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "meshing cancelled"; }
};

// Calls a progress callback after every so much work, not on every step, so that
// reporting costs nothing worth measuring. Work is counted in pixels looked at (a
// step's fixed cost counted as some pixels).
class ProgressMeter {
public:
    // A null callback is never called and never cancels.
    explicit ProgressMeter(ProgressCallback callback) : callback_(std::move(callback)) {}

    // Work done; report(fraction) when enough has gathered since the last report.
    // fraction is asked for only then. Throws MeshingCancelled when the callback says
    // stop.
    template <class Fraction>
    void addWork(std::int64_t units, Fraction&& fraction)
    {
        gathered_ += units;
        if (gathered_ >= kReportEvery) {
            gathered_ = 0;
            report(fraction());
        }
    }

    // Reports at once (the fraction is held to 0..1 and to no less than before).
    // Throws MeshingCancelled when the callback says stop.
    void report(double fraction);

    // The part of the whole the following reports stand for: a report of f becomes
    // from + f (to - from). For a run made of stages.
    void setStage(double from, double to)
    {
        stageFrom_ = from;
        stageTo_ = to;
    }
    double reported() const { return reported_; }

    // Starts over from 0 with no stage, for the next of several runs.
    void restart()
    {
        reported_ = 0;
        stageFrom_ = 0;
        stageTo_ = 1;
    }

private:
    // About a millisecond of scanning.
    static constexpr std::int64_t kReportEvery = std::int64_t{1} << 20;

    ProgressCallback callback_;
    std::int64_t gathered_ = 0;
    double reported_ = 0;
    double stageFrom_ = 0, stageTo_ = 1;
};
