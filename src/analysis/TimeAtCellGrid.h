// Where the engine spent its time: engine speed in 500 rpm rows by throttle in 10 % columns,
// each cell with its time, its samples and the mean of one chosen quantity. Free of painting.
#pragma once

#include "engine/EngineReads.h"
#include "analysis/ChartMapping.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace quillmark {

class RecordingColumns;

inline constexpr double kCellSpeedStep = 500.0;
inline constexpr double kCellThrottleStep = 10.0;
inline constexpr int kCellThrottleColumns = 10;
// 0 to 10 499 rpm: the fastest model's top, 255 counts of 40 rpm, falls in the last row.
inline constexpr int kCellSpeedRows = 21;

struct CellQuantity {
    Quantity quantity = Quantity::Injector1;
    const char* name = "";
    const char* unit = "";
    int decimals = 0;  // of its mean in a cell
};

// The quantities a table can average, in the chooser's order.
inline constexpr std::array<Quantity, 5> kAveragedQuantities{
    Quantity::Injector1,       Quantity::Injector2, Quantity::FuelMultiplier1,
    Quantity::FuelMultiplier2, Quantity::Retard,
};
inline constexpr std::array<CellQuantity, kAveragedQuantities.size()> kCellQuantities = [] {
    std::array<CellQuantity, kAveragedQuantities.size()> cells{};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const QuantityFacts& facts = factsOf(kAveragedQuantities[i]);
        cells[i] = {facts.quantity, facts.name, facts.unit, facts.decimals};
    }
    return cells;
}();

struct CellPlace {
    int speedRow = 0;
    int throttleColumn = 0;

    bool operator==(const CellPlace&) const = default;
};

// The cell of a sample; none when its engine speed or throttle is empty (NaN). A value past the
// grid's edge (a hand-edited file) counts in the edge's cell; a throttle of 100 % in 90-100 %.
std::optional<CellPlace> cellOf(float speed, float throttle);

// "0–499", "500–999", ... (rpm)
QString speedRowCaption(int speedRow);
// "0–9 %", "10–19 %", ..., "90–100 %"
QString throttleColumnCaption(int throttleColumn);

struct CellTotals {
    double seconds = 0.0;
    long samples = 0;
    long valued = 0;  // samples with a value of the averaged quantity
    double sum = 0.0;

    std::optional<double> mean() const {
        return valued > 0 ? std::optional(sum / double(valued)) : std::nullopt;
    }
};

// Each sample counts the time to the next one; a gap the chart breaks its line at (more than
// 2.5 sampling intervals, the median time between rows) counts as one sampling interval, and so
// does the last sample. Samples without an engine speed or throttle count nowhere.
class TimeAtCellGrid {
public:
    TimeAtCellGrid();
    // `averaged` is one of kCellQuantities.
    TimeAtCellGrid(const RecordingColumns& columns, Quantity averaged);

    Quantity averaged() const { return averaged_; }
    const CellTotals& cell(const CellPlace& place) const;
    // The most time any one cell holds: the top of the shading.
    double mostSeconds() const { return mostSeconds_; }
    // Rows up to the highest speed row with a sample (at least one).
    int usedSpeedRows() const { return usedSpeedRows_; }
    double countedSeconds() const { return countedSeconds_; }
    double sampling() const { return sampling_; }

    // The stretches of time whose samples fall in `place`, neighbouring samples joined: where
    // the chart shows them.
    std::vector<TimeWindow> spansOf(const RecordingColumns& columns, const CellPlace& place) const;

private:
    static std::size_t indexOf(const CellPlace& place);

    Quantity averaged_ = kCellQuantities.front().quantity;
    std::vector<CellTotals> cells_;
    double mostSeconds_ = 0.0;
    double countedSeconds_ = 0.0;
    int usedSpeedRows_ = 1;
    double sampling_ = kDefaultSampling;
};

}  // namespace quillmark
