#pragma once
// A label of the main window that never cuts its text. The window's places are fixed in twips
// while the stand-in fonts are wider than the ones the window was laid out for, so a caption
// that does not fit is drawn condensed horizontally, keeping its height, instead of being cut.

#include <QLabel>

namespace rl00 {

class FitLabel : public QLabel {
  public:
    using QLabel::QLabel;

    // Where the text goes: the contents less the margin and, inside a border, QLabel's indent.
    QRect textRect() const;
    // The horizontal scale the text is drawn with: 1 when it fits, less when condensed.
    qreal textScale() const;
    // The width the text takes when drawn, in the widget's pixels.
    qreal drawnTextWidth() const;

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    qreal naturalTextWidth() const;
};

}  // namespace rl00
