// The time selection the edit operations and segment analyses act on.
#include <algorithm>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"

namespace orvanix {

TTimeSelection TAnalyzerCore::Selection() const {
  return impl_->selection;
}

void TAnalyzerCore::SetSelection(double startSecs, double endSecs) {
  Impl& d = *impl_;
  // NaN compares false everywhere: it would survive max() and min(), so it counts as 0.
  if (!(startSecs > 0)) startSecs = 0;
  if (!(endSecs > 0)) endSecs = 0;
  if (endSecs < startSecs) std::swap(startSecs, endSecs);
  if (d.document) {
    const double length = d.document->LengthSeconds();
    startSecs = std::min(startSecs, length);
    endSecs = std::min(endSecs, length);
  }
  d.selectionDocument = d.document.get();
  const TTimeSelection next{startSecs, endSecs};
  if (next == d.selection) return;
  d.selection = next;
  d.Notify([](TAnalyzerObserver& o) { o.SelectionChanged(); });
}

}  // namespace orvanix
