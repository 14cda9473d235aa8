#include "previewer/qt/preview_pane.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstring>

#include "previewer/window_layout.h"

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

PreviewPane::PreviewPane(QWidget* parent, PreviewSession& session)
    : QWidget(parent), session_(session), bar_(new QScrollBar(Qt::Vertical, this)) {
    setObjectName("previewPane");
    setGeometry(kPaneBox.x, kPaneBox.y, kPaneBox.width, kPaneBox.height);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    bar_->setObjectName("previewScrollBar");
    bar_->setGeometry(kPaneBox.width - kScrollBarWidth, 0, kScrollBarWidth, kPaneBox.height);
    // Dragging the scroll box moves the view only when the box is released.
    bar_->setTracking(false);
    bar_->setSingleStep(kLineRows);
    connect(bar_, &QScrollBar::actionTriggered, this, &PreviewPane::onAction);
    session_.setPaneHeight(kPaneBox.height);
    syncScrollBar();
}

void PreviewPane::setBitmap(const PreviewBitmap* bitmap) {
    image_ = bitmap != nullptr ? toQImage(*bitmap) : QImage();
    syncScrollBar();
    update();
}

void PreviewPane::scroll(ScrollRequest request, int thumb) {
    if (session_.scroll(request, thumb) != 0) update();
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
    if (session_.scroll(request, bar_->sliderPosition()) != 0) update();
    // The slider applies this position once the action's signal returns.
    bar_->setSliderPosition(session_.scrollState().position);
}

void PreviewPane::syncScrollBar() {
    const ScrollState& state = session_.scrollState();
    const QSignalBlocker quiet(bar_);
    bar_->setRange(0, state.maximum);
    bar_->setPageStep(state.paneHeight);
    bar_->setValue(state.position);
    // As a standard scroll bar does, it shows only while the page is not larger than the range.
    bar_->setVisible(state.paneHeight <= state.bitmapHeight);
}

void PreviewPane::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, -session_.scrollState().position), image_);
}

void PreviewPane::wheelEvent(QWheelEvent* event) {
    if (session_.scrollWheel(event->angleDelta().y() / 120) != 0) update();
    syncScrollBar();
    event->accept();
}

}  // namespace kestrane::previewer
