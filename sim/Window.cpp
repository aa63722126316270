#include "sim/Window.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace sim {
namespace {

constexpr int kMaxListLength = 64;
constexpr int kMaxListDepth = 8;

}  // namespace

Window::Window(const host::GaugeHeader& moduleHeader, int width, int height, int capacityWidth,
               int capacityHeight)
    : gaugeName_(moduleHeader.gaugeName ? moduleHeader.gaugeName : ""),
      moduleHeader_(&moduleHeader),
      surface_(makeSurface(width, height, capacityWidth, capacityHeight)) {
    std::memcpy(&header_, &moduleHeader, sizeof header_);
    copyElements();
    copyMouseAreas();
    applySize();
}

host::ImageElement** Window::copyList(host::ImageElement* const* list, int depth) {
    if (list == nullptr) return nullptr;
    if (depth > kMaxListDepth) throw std::runtime_error("gauge '" + gaugeName_ + "': element lists nest too deep");
    std::vector<host::ImageElement*>& copy = lists_.emplace_back();
    for (int i = 0; list[i] != nullptr; ++i) {
        if (i == kMaxListLength)
            throw std::runtime_error("gauge '" + gaugeName_ + "': element list has no end");
        host::ImageElement& element = elements_.emplace_back(*list[i]);
        element.header = &header_;
        copy.push_back(&element);
    }
    copy.push_back(nullptr);
    // Lists below each element after the list itself, so that its entries stay in order.
    for (host::ImageElement* element : copy)
        if (element != nullptr) element->nextElements = copyList(element->nextElements, depth + 1);
    return copy.data();
}

void Window::copyElements() { header_.elementList = copyList(moduleHeader_->elementList, 0); }

void Window::copyMouseAreas() {
    designAreas_.clear();
    if (moduleHeader_->mouseAreas == nullptr) return;
    for (int i = 0;; ++i) {
        if (i == kMaxListLength) throw std::runtime_error("gauge '" + gaugeName_ + "': mouse-area list has no end");
        designAreas_.push_back(moduleHeader_->mouseAreas[i]);
        if (moduleHeader_->mouseAreas[i].kind == host::kMouseEndOfList) break;
    }
    mouseAreas_ = designAreas_;
    header_.mouseAreas = mouseAreas_.data();
}

void Window::applySize() {
    image_.width = surface_->width();
    image_.height = surface_->height();
    for (host::ImageElement& element : elements_) {
        element.image = &image_;
        element.deviceContext = surface_->deviceContext();
    }
    // Mouse boxes are given in the gauge's design size; the host scales them
    // to the window's pixels.
    double design = header_.defaultSize != 0 ? static_cast<double>(header_.defaultSize) : 100.0;
    double sx = surface_->width() / design;
    double sy = surface_->height() / design;
    for (size_t i = 0; i < designAreas_.size(); ++i) {
        const host::MouseArea& d = designAreas_[i];
        host::MouseArea& m = mouseAreas_[i];
        m.boxX = static_cast<int32_t>(std::lround(d.boxX * sx));
        m.boxY = static_cast<int32_t>(std::lround(d.boxY * sy));
        m.boxWidth = static_cast<int32_t>(std::lround(d.boxWidth * sx));
        m.boxHeight = static_cast<int32_t>(std::lround(d.boxHeight * sy));
    }
}

host::ImageElement& Window::backgroundElement() {
    if (header_.elementList == nullptr || header_.elementList[0] == nullptr)
        throw std::logic_error("gauge '" + gaugeName_ + "' has no elements");
    return *header_.elementList[0];
}

host::ImageElement& Window::drawingElement() {
    host::ImageElement& background = backgroundElement();
    if (background.nextElements == nullptr || background.nextElements[0] == nullptr)
        throw std::logic_error("gauge '" + gaugeName_ + "' has no drawing element");
    return *background.nextElements[0];
}

const host::ImageElement& Window::drawingElement() const { return const_cast<Window*>(this)->drawingElement(); }

std::vector<host::MouseArea*> Window::clickAreas() {
    std::vector<host::MouseArea*> out;
    for (host::MouseArea& m : mouseAreas_)
        if (m.kind == host::kMouseChild) out.push_back(&m);
    return out;
}

uint32_t Window::pixelAtLogical(double logicalX, double logicalY) const {
    int x = static_cast<int>(std::floor(logicalX * width() / 1000.0));
    int y = static_cast<int>(std::floor(logicalY * height() / 1000.0));
    return pixel(std::clamp(x, 0, width() - 1), std::clamp(y, 0, height() - 1));
}

std::vector<uint32_t> Window::pixels() const {
    std::vector<uint32_t> out;
    out.reserve(static_cast<size_t>(width()) * static_cast<size_t>(height()));
    for (int y = 0; y < height(); ++y)
        for (int x = 0; x < width(); ++x) out.push_back(pixel(x, y));
    return out;
}

void Window::resize(int width, int height, ResizeMode mode) {
    if (mode == ResizeMode::KeepDeviceContext) {
        surface_->setSize(width, height);
    } else {
        retired_.push_back(std::move(surface_));
        surface_ = makeSurface(width, height, width, height);
    }
    applySize();
}

}  // namespace sim
