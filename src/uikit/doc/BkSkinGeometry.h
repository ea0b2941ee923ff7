// Where the pieces of a skin image go: state frames, nine-part cuts, tiled middles and framed images. Portable
// geometry; the skins in BkSkin.h blit what these answer.
#pragma once

#include <vector>

#include "uikit/doc/BkPos.h"

// One piece: copy (stretch) `src` of the image into `dst` of the target.
struct BkBlit {
    BkRect src;
    BkRect dst;
    bool operator==(const BkBlit& o) const { return src == o.src && dst == o.dst; }
};

// Number of frames of an image imageWidth wide cut every subWidth pixels (at least 1; 1 for subWidth 0).
int BkFrameCount(int imageWidth, int subWidth);

// The frame index for an element state: -1 is 0, others modulo the frame count (never negative).
int BkFrameIndex(int state, int frameCount);

// Nine parts of `frame` (a rectangle of the image) into `dst` with margins left L, right R, top T, bottom B. The
// middle column is stretched, or with `middleTile` repeated at its natural width with the last piece clipped.
// Source rectangles are clipped to `image` (the image's own bounds); empty pieces are left out.
std::vector<BkBlit> BkNinePartBlits(const BkRect& image, const BkRect& frame, const BkRect& dst, int L, int R, int T,
                                    int B, bool middleTile);

// Edges drawn by a framed image, from the `part` attribute.
enum BkFrameEdge : unsigned { kBkEdgeTop = 1, kBkEdgeBottom = 2, kBkEdgeLeft = 4, kBkEdgeRight = 8 };
unsigned BkFramePartEdges(const char* part);  // "all" and unknown values: all four

// A framed image of imageW × imageH cut at column `cutX` and row `cutY`: corners where both neighbouring edges are
// drawn, the one-pixel column and row stretched along the drawn edges. `centre` answers the remaining inside.
std::vector<BkBlit> BkFrameBlits(int imageW, int imageH, int cutX, int cutY, unsigned edges, const BkRect& dst,
                                 BkRect* centre);
