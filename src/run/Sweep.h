#pragma once

// Sweeps: one case file, many points. Each point is the case with one or
// two of its numeric keys set to values from a grid (--vary), evaluated by
// the point evaluator. The grid is computed here, on as many threads as
// asked, and handed over in grid order to whoever writes it.

#include "calc/FieldTexts.h"
#include "io/NumberText.h"
#include "io/PressureUnit.h"
#include "run/Diagnoses.h"
#include "run/PointEvaluator.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

// A --vary option that cannot be taken; what() says why, for the user.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr std::size_t MaxValuesPerKey = 1'000'000;

// "KEY=FROM:TO:COUNT" (COUNT values evenly spaced, both ends included) or
// "KEY=v1,v2,...". KEY is a numeric key of the case file; values are read
// as the window reads a field, with "." as the separator.
struct Vary {
    Field field = Field::FlowRate; // the field the key names
    std::string key;         // as the user wrote it
    std::vector<double> values;
};
Vary parseVary(std::string_view spec);

struct SweepCase {
    std::string name; // as the user named its file
    FieldTexts texts;
    std::optional<ValidityRange> range; // of its melt's fit, when it has one
};

// The points of a sweep: every case, then every value of the first key,
// then every value of the second (one or two keys), in that order.
class SweepGrid {
public:
    SweepGrid(const std::vector<SweepCase> &cases, const std::vector<Vary> &vary);

    std::uint64_t size() const { return m_size; }
    std::size_t firstCount() const { return m_first; }
    std::size_t secondCount() const { return m_second; } // 1 without a second key
    const std::vector<SweepCase> &cases() const { return m_cases; }
    const std::vector<Vary> &vary() const { return m_vary; }

    struct Place {
        std::size_t caseIndex = 0;
        std::size_t first = 0;  // index into vary[0].values
        std::size_t second = 0; // index into vary[1].values, 0 without one
    };
    Place place(std::uint64_t point) const;

private:
    const std::vector<SweepCase> &m_cases;
    const std::vector<Vary> &m_vary;
    std::size_t m_first = 0, m_second = 1;
    std::uint64_t m_size = 0;
};

// What each point of a sweep computes besides its values.
struct SweepWork {
    bool details = false;      // each screen's open area, wall shear rate and apparent viscosity
    bool findings = false;     // each computed point's finding codes
    bool refuseErrors = false; // with findings: a point with an error-level finding is refused
    unsigned threads = 1;
};

// One computed point, valid during the call it is handed to.
struct SweepPoint {
    std::uint64_t index = 0; // in grid order
    SweepGrid::Place place;
    std::span<const double> values; // the varied keys' values, in the grid's order of keys
    // As it is to be shown: a refused point is Rejected with "refused" and
    // keeps its computed values.
    const PointResult &result;
    const FilterCase *read;      // the case as the point read it, null when it could not
    const std::string &findings; // its finding codes, blank-separated, when asked for
};

// What a sweep is written into: the writer's own record of a run of
// consecutive points (rows of text, cells of a sheet).
class SweepChunk {
public:
    virtual ~SweepChunk() = default;
};

class SweepConsumer {
public:
    virtual ~SweepConsumer() = default;
    // On a worker thread, several at once: an empty chunk for `points` points.
    virtual std::unique_ptr<SweepChunk> newChunk(std::uint64_t points) const = 0;
    // On the worker thread that made `chunk`: its next point, in grid order.
    virtual void add(SweepChunk &chunk, const SweepPoint &point) const = 0;
    // On the calling thread: the chunks in grid order, each once complete,
    // with the number of points handed over so far.
    virtual void take(std::unique_ptr<SweepChunk> chunk, std::uint64_t done) = 0;
};

// Points per chunk: large enough that threads rarely meet, small enough
// that the chunks waiting to be taken stay a few megabytes.
constexpr std::uint64_t SweepChunkPoints = 2048;

// Computes every point of the grid, each exactly as a single run of its
// case would be, on work.threads threads (at least one, at most one per
// chunk), each with its own evaluators. Work runs at most four chunks per
// thread ahead of take(), which bounds memory. What add() or take() throws
// stops every thread and reaches the caller.
void computeSweep(const SweepGrid &grid, const SweepWork &work, SweepConsumer &consumer);

// The screens in use at most over a grid: at each case's first point, or
// all twelve when the pack itself is varied.
int sweepScreens(const std::vector<SweepCase> &cases, const std::vector<Vary> &vary);

} // namespace sf
