#include "frontends/qt/fit_label.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QtMath>

namespace rl00 {

QRect FitLabel::textRect() const {
    // As QLabel places its text, so that a caption that fits looks as it always did. QLabel
    // indents only the side the text is aligned to; a caption as wide as the room would then
    // touch the frame on the other side, so the room is indented on both.
    QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int indent_px = indent();
    if (indent_px < 0 && frameWidth() > 0)
        indent_px = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin();
    if (indent_px > 0) {
        const Qt::Alignment a = QStyle::visualAlignment(layoutDirection(), alignment());
        if (a & (Qt::AlignLeft | Qt::AlignRight)) r.adjust(indent_px, 0, -indent_px, 0);
        if (a & Qt::AlignTop) r.setTop(r.top() + indent_px);
        if (a & Qt::AlignBottom) r.setBottom(r.bottom() - indent_px);
    }
    return r;
}

qreal FitLabel::naturalTextWidth() const {
    return QFontMetricsF(font()).horizontalAdvance(text());
}

qreal FitLabel::textScale() const {
    // A wrapping label makes room by wrapping instead.
    if (wordWrap()) return 1.0;
    const qreal natural = naturalTextWidth();
    const qreal room = textRect().width();
    return natural <= room || room <= 0 ? 1.0 : room / natural;
}

qreal FitLabel::drawnTextWidth() const {
    return naturalTextWidth() * textScale();
}

void FitLabel::paintEvent(QPaintEvent* e) {
    const qreal scale = textScale();
    if (scale >= 1.0) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    const QRect r = textRect();
    p.translate(r.left(), 0);
    p.scale(scale, 1.0);
    const QRect widened(0, r.top(), qCeil(r.width() / scale), r.height());
    style()->drawItemText(&p, widened, static_cast<int>(alignment()) | Qt::TextSingleLine,
                          palette(), isEnabled(), text(), foregroundRole());
}

}  // namespace rl00
