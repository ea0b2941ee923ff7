#include "uikit/doc/BkSkinGeometry.h"

#include <algorithm>
#include <cstring>

namespace {

BkRect Clip(const BkRect& r, const BkRect& bounds) {
    return {std::max(r.left, bounds.left), std::max(r.top, bounds.top), std::min(r.right, bounds.right),
            std::min(r.bottom, bounds.bottom)};
}

bool Empty(const BkRect& r) { return r.right <= r.left || r.bottom <= r.top; }

void Add(std::vector<BkBlit>& out, const BkRect& image, const BkRect& src, const BkRect& dst) {
    const BkRect s = Clip(src, image);
    if (Empty(s) || Empty(dst)) return;
    out.push_back({s, dst});
}

}  // namespace

int BkFrameCount(int imageWidth, int subWidth) {
    if (subWidth <= 0) return 1;
    const int n = imageWidth / subWidth;
    return n < 1 ? 1 : n;
}

int BkFrameIndex(int state, int frameCount) {
    if (state == -1 || frameCount <= 1) return 0;
    const int i = state % frameCount;
    return i < 0 ? i + frameCount : i;
}

std::vector<BkBlit> BkNinePartBlits(const BkRect& image, const BkRect& frame, const BkRect& dst, int L, int R, int T,
                                    int B, bool middleTile) {
    std::vector<BkBlit> out;
    L = std::max(L, 0), R = std::max(R, 0), T = std::max(T, 0), B = std::max(B, 0);
    const int fl = frame.left, fr = frame.right, ft = frame.top, fb = frame.bottom;
    const int dl = dst.left, dr = dst.right, dt = dst.top, db = dst.bottom;

    // One column: its corners and its edge stretched over the middle height.
    const auto column = [&](int sl, int sr, int xl, int xr) {
        if (T > 0) Add(out, image, {sl, ft, sr, ft + T}, {xl, dt, xr, dt + T});
        if (B > 0) Add(out, image, {sl, fb - B, sr, fb}, {xl, db - B, xr, db});
        Add(out, image, {sl, ft + T, sr, fb - B}, {xl, dt + T, xr, db - B});
    };
    if (L > 0) column(fl, fl + L, dl, dl + L);
    if (R > 0) column(fr - R, fr, dr - R, dr);

    const int sl = fl + L, sr = fr - R;
    if (!middleTile || sr <= sl) {
        column(sl, sr, dl + L, dr - R);
        return out;
    }
    const int piece = sr - sl;
    for (int x = dl + L; x < dr - R; x += piece) {
        const int w = std::min(piece, dr - R - x);
        column(sl, sl + w, x, x + w);
    }
    return out;
}

unsigned BkFramePartEdges(const char* part) {
    struct Entry {
        const char* name;
        unsigned edges;
    };
    static const Entry kParts[] = {
        {"top", kBkEdgeTop | kBkEdgeLeft | kBkEdgeRight},
        {"middle", kBkEdgeLeft | kBkEdgeRight},
        {"bottom", kBkEdgeBottom | kBkEdgeLeft | kBkEdgeRight},
        {"left", kBkEdgeTop | kBkEdgeBottom | kBkEdgeLeft},
        {"center", kBkEdgeTop | kBkEdgeBottom},
        {"right", kBkEdgeTop | kBkEdgeBottom | kBkEdgeRight},
    };
    for (const Entry& e : kParts) {
        if (part && !std::strcmp(part, e.name)) return e.edges;
    }
    return kBkEdgeTop | kBkEdgeBottom | kBkEdgeLeft | kBkEdgeRight;
}

std::vector<BkBlit> BkFrameBlits(int imageW, int imageH, int cutX, int cutY, unsigned edges, const BkRect& dst,
                                 BkRect* centre) {
    std::vector<BkBlit> out;
    const BkRect image{0, 0, imageW, imageH};
    cutX = std::clamp(cutX, 0, std::max(imageW - 1, 0));
    cutY = std::clamp(cutY, 0, std::max(imageH - 1, 0));
    const int rightW = imageW - cutX - 1;
    const int bottomH = imageH - cutY - 1;
    const bool top = edges & kBkEdgeTop, bottom = edges & kBkEdgeBottom;
    const bool left = edges & kBkEdgeLeft, right = edges & kBkEdgeRight;

    const int innerL = left ? dst.left + cutX : dst.left;
    const int innerR = right ? dst.right - rightW : dst.right;
    const int innerT = top ? dst.top + cutY : dst.top;
    const int innerB = bottom ? dst.bottom - bottomH : dst.bottom;

    if (top && left) Add(out, image, {0, 0, cutX, cutY}, {dst.left, dst.top, innerL, innerT});
    if (top && right) Add(out, image, {cutX + 1, 0, imageW, cutY}, {innerR, dst.top, dst.right, innerT});
    if (bottom && left) Add(out, image, {0, cutY + 1, cutX, imageH}, {dst.left, innerB, innerL, dst.bottom});
    if (bottom && right) Add(out, image, {cutX + 1, cutY + 1, imageW, imageH}, {innerR, innerB, dst.right, dst.bottom});
    if (top) Add(out, image, {cutX, 0, cutX + 1, cutY}, {innerL, dst.top, innerR, innerT});
    if (bottom) Add(out, image, {cutX, cutY + 1, cutX + 1, imageH}, {innerL, innerB, innerR, dst.bottom});
    if (left) Add(out, image, {0, cutY, cutX, cutY + 1}, {dst.left, innerT, innerL, innerB});
    if (right) Add(out, image, {cutX + 1, cutY, imageW, cutY + 1}, {innerR, innerT, dst.right, innerB});
    if (centre) *centre = {innerL, innerT, innerR, innerB};
    return out;
}
