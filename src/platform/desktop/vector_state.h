#pragma once

namespace platform {

// Qt's raster drawing can leave the upper halves of the processor's AVX registers in use when a
// paint returns. Until something clears them, every SSE instruction of code built without AVX
// (the database driver, SQLite, parts of the C library) pays for merging into those registers:
// after one repaint of the progress bar, the rest of an append ran about 8% slower. The bar
// clears them after it paints, and the per-row yields after the window has painted; where the
// processor has no AVX this does nothing.
void ClearUpperVectorState();

}  // namespace platform
