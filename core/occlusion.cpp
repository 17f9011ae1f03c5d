// The overlap and on-view verdicts over the rectangles around the capture rectangle.
#include "core/occlusion.h"

#include <algorithm>
#include <vector>

namespace core {

namespace {

// The parts of `a` outside `b`, as up to four bands: above, below, left and right of `b`.
void Subtract(const Rect& a, const Rect& b, std::vector<Rect>& out) {
    if (!Intersects(a, b)) {
        out.push_back(a);
        return;
    }
    const int32_t top = std::max(a.top, b.top), bottom = std::min(a.bottom, b.bottom);
    const Rect bands[] = {{a.left, a.top, a.right, b.top},
                          {a.left, b.bottom, a.right, a.bottom},
                          {a.left, top, b.left, bottom},
                          {b.right, top, a.right, bottom}};
    for (const Rect& band : bands)
        if (!IsEmpty(band))
            out.push_back(band);
}

// True when the rectangles together cover every pixel of `r`.
bool CoveredBy(const Rect& r, std::span<const Rect> parts) {
    std::vector<Rect> uncovered{r};
    if (IsEmpty(r))
        uncovered.clear();
    for (const Rect& part : parts) {
        std::vector<Rect> next;
        for (const Rect& piece : uncovered)
            Subtract(piece, part, next);
        uncovered.swap(next);
    }
    return uncovered.empty();
}

} // namespace

bool WhollyOnView(const Rect& capture, const View& view) {
    return !view.hidden && Contains(view.browserWindow, capture) &&
           std::all_of(view.ancestorClients.begin(), view.ancestorClients.end(),
                       [&](const Rect& client) { return Contains(client, capture); }) &&
           CoveredBy(capture, view.monitors);
}

CaptureResult OcclusionVerdict(const Rect& capture, std::span<const Rect> visibleAbove, bool onView) {
    bool covered =
        std::any_of(visibleAbove.begin(), visibleAbove.end(), [&](const Rect& r) { return Intersects(capture, r); });
    if (onView)
        return covered ? kCapturedOverlapped : kCaptured;
    return covered ? kCapturedOverlappedOffView : kCapturedOffView;
}

} // namespace core
