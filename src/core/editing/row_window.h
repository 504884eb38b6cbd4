// The three source rows of a 3 × 3 filter that writes its output rows in
// place, band by band: rows already overwritten come from small copies
// instead of a copy of the whole picture.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/editing/parallel_rows.h"

#include <cstring>
#include <vector>

namespace core::editing {

// Output rows i + 1 for i in a band [first, last) read source rows i .. i + 2.
// Rows `first` and `last + 1` may be overwritten by neighbouring bands, so
// they are copied for every band before any band runs.
class BandEdges {
  public:
    BandEdges(const Bitmap& picture, const std::vector<RowBand>& bands)
        : rowBytes_(picture.stride()) {
        for (const RowBand& b : bands) {
            Edge e;
            e.first = b.first;
            e.top.assign(picture.row(b.first), picture.row(b.first) + rowBytes_);
            e.bottom.assign(picture.row(b.last + 1), picture.row(b.last + 1) + rowBytes_);
            edges_.push_back(std::move(e));
        }
    }
    // The saved rows of the band that starts at `first`.
    const std::uint8_t* top(int first) const { return find(first).top.data(); }
    const std::uint8_t* bottom(int first) const { return find(first).bottom.data(); }
    std::size_t rowBytes() const { return rowBytes_; }

  private:
    struct Edge {
        int first = 0;
        std::vector<std::uint8_t> top, bottom;
    };
    const Edge& find(int first) const {
        for (const Edge& e : edges_)
            if (e.first == first) return e;
        return edges_.front();
    }
    std::size_t rowBytes_;
    std::vector<Edge> edges_;
};

// Walks one band: before output row i + 1 is written, its source is saved, so
// rows(i) yields the unchanged rows i, i + 1 and i + 2.
class RowWindow {
  public:
    RowWindow(Bitmap& picture, const BandEdges& edges, int first, int last)
        : picture_(picture), last_(last), bottom_(edges.bottom(first)), prev_(edges.rowBytes()),
          cur_(edges.rowBytes()) {
        std::memcpy(prev_.data(), edges.top(first), prev_.size());
    }
    // Source rows for output row i + 1 (call with i = first, first + 1, ...).
    void Advance(int i, const std::uint8_t** r0, const std::uint8_t** r1, const std::uint8_t** r2) {
        std::memcpy(cur_.data(), picture_.row(i + 1), cur_.size());
        *r0 = prev_.data();
        *r1 = cur_.data();
        *r2 = i + 2 == last_ + 1 ? bottom_ : picture_.row(i + 2);
    }
    // After output row i + 1 is written: its saved source becomes the row above.
    void Next() { prev_.swap(cur_); }

  private:
    Bitmap& picture_;
    int last_;
    const std::uint8_t* bottom_;
    std::vector<std::uint8_t> prev_, cur_;
};

// Runs a 3 × 3 filter in place over output rows 1 .. height − 3, in bands
// across the cores. rowBody(r0, r1, r2, out) gets the unchanged source rows
// above, at and below the output row, each (like `out`) past the first pixel;
// the first band reports its progress.
template <class RowBody>
void FilterRowsInPlace(Bitmap& picture, const ProgressFn& progress, RowBody&& rowBody) {
    const std::vector<RowBand> bands = SplitRows(0, picture.height() - 3);
    const BandEdges edges(picture, bands);
    RunBands(bands, [&](int first, int last) {
        RowWindow window(picture, edges, first, last);
        const bool report = first == 0 && progress;
        for (int i = first; i < last; ++i) {
            if (report) ReportProgress(progress, (i - first) * 100 / (last - first));
            const std::uint8_t *r0, *r1, *r2;
            window.Advance(i, &r0, &r1, &r2);
            rowBody(r0 + 3, r1 + 3, r2 + 3, picture.row(i + 1) + 3);
            window.Next();
        }
    });
}

} // namespace core::editing
