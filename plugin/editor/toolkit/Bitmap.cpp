#include "plugin/editor/toolkit/Bitmap.h"

#include "plugin/editor/toolkit/DrawContext.h"

namespace rimba::toolkit {

CBitmap::CBitmap(int width, int height, std::vector<std::uint32_t> premultipliedPixels)
    : width(width), height(height), words(std::move(premultipliedPixels)) {}

std::uint32_t CBitmap::pixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return words[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
}

void CBitmap::draw(CDrawContext& context, CPoint where) const {
    context.save();
    context.rectangle(where.x, where.y, width, height);
    context.clip();
    context.drawBitmap(*this, where);
    context.restore();
}

void CBitmap::drawFrame(CDrawContext& context, CPoint where, int index, int frameCount) const {
    if (frameCount <= 1) {
        draw(context, where);
        return;
    }
    int frameHeight = height / frameCount;
    if (frameHeight <= 0)
        return;
    // An index out of range shows the nearest frame rather than a neighbour's pixels.
    if (index < 0)
        index = 0;
    if (index >= frameCount)
        index = frameCount - 1;
    context.save();
    context.rectangle(where.x, where.y, width, frameHeight);
    context.clip();
    context.drawBitmap(*this, {where.x, where.y - index * frameHeight});
    context.restore();
}

}  // namespace rimba::toolkit
