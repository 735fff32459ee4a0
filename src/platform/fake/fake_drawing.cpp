// Drawing on the simulated desktop: the in-memory drawing of platform/image,
// each operation noted in the call log, and the views kept track of.
#include "platform/fake/fake_state.h"
#include "platform/image/image_drawing.h"

namespace orvane::platform::fake {

namespace {

class FakeDrawing : public image::ImageDrawing {
public:
    explicit FakeDrawing(std::shared_ptr<State> s) : s_(std::move(s)) {}

    std::unique_ptr<ViewSurface> createView(QWidget* frame) override {
        s_->call("Drawing::createView");
        std::weak_ptr<State> weak = s_;
        auto view = std::make_unique<FakeViewSurface>(frame, [weak](FakeViewSurface* v) {
            if (auto s = weak.lock()) std::erase(s->views, v);
        });
        s_->views.push_back(view.get());
        return view;
    }

    std::unique_ptr<Surface> createMemoryCopy(Surface& source, QSize size) override {
        s_->call("Drawing::createMemoryCopy");
        return ImageDrawing::createMemoryCopy(source, size);
    }

    void copy(Surface& dst, const QRect& dstRect, Surface& src, QPoint srcPos) override {
        s_->call("Drawing::copy");
        ImageDrawing::copy(dst, dstRect, src, srcPos);
    }

    void stretch(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect) override {
        s_->call("Drawing::stretch");
        ImageDrawing::stretch(dst, dstRect, src, srcRect);
    }

    void stretchPart(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect,
                     const QRegion& part) override {
        s_->call("Drawing::stretchPart");
        ImageDrawing::stretchPart(dst, dstRect, src, srcRect, part);
    }

    void drawCursor(Surface& dst, QPoint topLeft, const CursorImage& cursor) override {
        s_->call("Drawing::drawCursor");
        ImageDrawing::drawCursor(dst, topLeft, cursor);
    }

    void invert(Surface& dst, const QRect& rect) override {
        s_->call("Drawing::invert");
        ImageDrawing::invert(dst, rect);
    }

    void flush() override {
        s_->call("Drawing::flush");
        ++s_->flushCount;
    }

    QImage grab(const QRect& screenRect) override {
        s_->call("Drawing::grab");
        return s_->readScreen(screenRect);
    }

private:
    std::shared_ptr<State> s_;
};

}  // namespace

std::unique_ptr<Drawing> makeDrawing(std::shared_ptr<State> state) {
    return std::make_unique<FakeDrawing>(std::move(state));
}

QImage FakePlatform::imageOf(Surface& surface) {
    return image::readSurface(surface, QRect(QPoint(0, 0), surface.size()));
}

int FakePlatform::flushCount() const { return state_->flushCount; }
std::vector<FakeViewSurface*> FakePlatform::views() const { return state_->views; }

}  // namespace orvane::platform::fake
