// The preview pane: the session's bitmap drawn from row P at the top-left corner, on white, with
// the vertical scroll bar at its right edge. The scroll bar only asks; the session's scroll rules
// decide where the view goes.
#pragma once

#include <QImage>
#include <QWidget>

#include "previewer/preview_bitmap.h"
#include "previewer/preview_session.h"
#include "previewer/scroll_state.h"

class QScrollBar;

namespace kestrane::previewer {

class PreviewPane : public QWidget {
    Q_OBJECT

  public:
    // Scrolls through `session`, which must outlive the pane's use.
    PreviewPane(QWidget* parent, PreviewSession& session);

    // The bitmap to show from now on (null: none, only the white background), as the session
    // holds it; the session has fitted the scroll position to it.
    void setBitmap(const PreviewBitmap* bitmap);
    // A scroll request, as the scroll bar gives them.
    void scroll(ScrollRequest request, int thumb = 0);

    const ScrollState& scrollState() const { return session_.scrollState(); }
    QScrollBar* scrollBar() const { return bar_; }
    // What the pane shows of the bitmap (null when there is none).
    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void onAction(int action);
    void syncScrollBar();

    PreviewSession& session_;
    QScrollBar* bar_;
    QImage image_;
};

// The bitmap as Qt draws it: the start picture in colour, any other bitmap black on white.
QImage toQImage(const PreviewBitmap& bitmap);

}  // namespace kestrane::previewer
