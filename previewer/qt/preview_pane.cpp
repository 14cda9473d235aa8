#include "previewer/qt/preview_pane.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstring>

namespace kestrane::previewer {

QImage toQImage(const PreviewBitmap& bitmap) {
    if (bitmap.kind == PreviewKind::kStartPicture) {
        const Image& picture = bitmap.picture;
        return QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                      QImage::Format_RGB888)
            .copy();
    }
    const Canvas& canvas = bitmap.canvas;
    QImage image(canvas.width, canvas.height, QImage::Format_Mono);
    // A set bit is white on the canvas: index 1 of the colour table.
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < canvas.height; ++y) {
        std::memcpy(image.scanLine(y),
                    canvas.bits.data() + static_cast<std::size_t>(y) * canvas.stride,
                    static_cast<std::size_t>(canvas.stride));
    }
    return image;
}

PreviewPane::PreviewPane(QWidget* parent)
    : QWidget(parent), bar_(new QScrollBar(Qt::Vertical, this)) {
    setObjectName("previewPane");
    setGeometry(0, 0, kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    bar_->setObjectName("previewScrollBar");
    bar_->setGeometry(kWidth - kScrollBarWidth, 0, kScrollBarWidth, kHeight);
    // Dragging the scroll box moves the view only when the box is released.
    bar_->setTracking(false);
    bar_->setSingleStep(kLineRows);
    connect(bar_, &QScrollBar::actionTriggered, this, &PreviewPane::onAction);
    fitScroll(state_, 0, kHeight);
    syncScrollBar();
}

void PreviewPane::setBitmap(const PreviewBitmap* bitmap) {
    image_ = bitmap != nullptr ? toQImage(*bitmap) : QImage();
    fitScroll(state_, bitmap != nullptr ? bitmap->height() : 0, kHeight);
    syncScrollBar();
    update();
}

void PreviewPane::scroll(ScrollRequest request, int thumb) {
    if (applyScroll(state_, request, thumb) != 0) update();
    syncScrollBar();
}

void PreviewPane::onAction(int action) {
    ScrollRequest request = ScrollRequest::kOther;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            request = ScrollRequest::kLineUp;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            request = ScrollRequest::kLineDown;
            break;
        case QAbstractSlider::SliderPageStepSub:
            request = ScrollRequest::kPageUp;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            request = ScrollRequest::kPageDown;
            break;
        case QAbstractSlider::SliderMove:
            // While the box is held the view waits; a move with the box released (its release,
            // a wheel turn over the bar) goes where the box stands.
            if (bar_->isSliderDown()) return;
            request = ScrollRequest::kThumbPosition;
            break;
        default:
            break;
    }
    if (applyScroll(state_, request, bar_->sliderPosition()) != 0) update();
    // The slider applies this position once the action's signal returns.
    bar_->setSliderPosition(state_.position);
}

void PreviewPane::syncScrollBar() {
    const QSignalBlocker quiet(bar_);
    bar_->setRange(0, state_.maximum);
    bar_->setPageStep(state_.paneHeight);
    bar_->setValue(state_.position);
    // As a standard scroll bar does, it shows only while the page is not larger than the range.
    bar_->setVisible(state_.paneHeight <= state_.bitmapHeight);
}

void PreviewPane::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, -state_.position), image_);
}

void PreviewPane::wheelEvent(QWheelEvent* event) {
    // A notch of the wheel over the picture scrolls as three line steps.
    const int notches = event->angleDelta().y() / 120;
    const ScrollRequest request = notches > 0 ? ScrollRequest::kLineUp : ScrollRequest::kLineDown;
    for (int i = 0; i < 3 * std::abs(notches); ++i) applyScroll(state_, request);
    syncScrollBar();
    update();
    event->accept();
}

}  // namespace kestrane::previewer
