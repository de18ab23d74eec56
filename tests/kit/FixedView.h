#pragma once

// A view for layout tests: it wants a fixed size and, like a line of text,
// may have a baseline.

#include <optional>

#include "kit/View.h"

namespace kittest {

struct FixedView : kit::View {
    FixedView(kit::Size size, std::optional<double> baseline) : size(size), baseline(baseline) {}
    kit::Size intrinsicContentSize() const override { return size; }
    std::optional<double> firstBaselineOffsetFromTop() const override { return baseline; }
    kit::Size size;
    std::optional<double> baseline;
};

}  // namespace kittest
