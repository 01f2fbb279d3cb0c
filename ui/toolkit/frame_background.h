#pragma once

class QAbstractScrollArea;

namespace toolkit {

// Lets a list's own frame paint the list's background and leaves its viewport see-through.
// At a fractional scale (144 DPI, a scale factor of 1.5) the viewport's rectangle is rounded
// to whole device pixels and, filling itself, paints over the frame's bottom line whenever
// the list ends on a half pixel; behind the frame the background cannot cover the frame.
void PaintBackgroundBehindFrame(QAbstractScrollArea* area);

}  // namespace toolkit
