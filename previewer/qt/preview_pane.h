// The preview pane: the preview bitmap drawn from row P at the top-left corner, on white, with
// the vertical scroll bar at its right edge. The scroll bar only asks; the rules of the scroll
// state decide where the view goes.
#pragma once

#include <QImage>
#include <QWidget>

#include "previewer/preview_bitmap.h"
#include "previewer/scroll_state.h"

class QScrollBar;

namespace kestrane::previewer {

class PreviewPane : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = 584;
    static constexpr int kHeight = 415;
    static constexpr int kScrollBarWidth = 17;

    explicit PreviewPane(QWidget* parent);

    // The bitmap to show from now on (null: none, only the white background). The scroll
    // position survives, clamped to the new bitmap.
    void setBitmap(const PreviewBitmap* bitmap);
    // A scroll request, as the scroll bar gives them.
    void scroll(ScrollRequest request, int thumb = 0);

    const ScrollState& scrollState() const { return state_; }
    QScrollBar* scrollBar() const { return bar_; }
    // What the pane shows of the bitmap (null when there is none).
    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void onAction(int action);
    void syncScrollBar();

    QScrollBar* bar_;
    QImage image_;
    ScrollState state_;
};

// The bitmap as Qt draws it: the start picture in colour, any other bitmap black on white.
QImage toQImage(const PreviewBitmap& bitmap);

}  // namespace kestrane::previewer
