#include "frontends/qt/status_line.h"

#include <QLocale>
#include <QWidget>

#include "frontends/qt/fit_label.h"
#include "session/window_layout.h"

namespace rl00 {

namespace {

QString withStatus(const QString& title, const QString& status) {
    return title + QStringLiteral(" — ") + status;
}

FitLabel* lineOf(QWidget* strip, QRect place, int pixel_size, bool bold) {
    auto* label = new FitLabel(strip);
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    // The labels' face, whatever the window's default (a Mincho) is.
    QFont f(QString::fromUtf8(kLabelFont.data(), static_cast<qsizetype>(kLabelFont.size())));
    f.setPixelSize(pixel_size);
    f.setBold(bold);
    label->setFont(f);
    return label;
}

}  // namespace

QString groupedDigits(std::uint64_t n) {
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(static_cast<qulonglong>(n));
}

StatusLine::StatusLine(QWidget& window, QRect place)
    : window_(window), title_(window.windowTitle()), strip_(new QWidget(&window)) {
    strip_->setGeometry(place);
    strip_->setAutoFillBackground(true);
    QPalette pal = strip_->palette();
    pal.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
    pal.setColor(QPalette::WindowText, Qt::white);
    strip_->setPalette(pal);
    // Two lines in the strip's height: what stands, then what the keys do about it.
    const int upper = place.height() * 11 / 20;
    line_ = lineOf(strip_, QRect(2, 0, place.width() - 4, upper), 12, true);
    hint_ = lineOf(strip_, QRect(2, upper, place.width() - 4, place.height() - upper), 10, false);
    strip_->hide();
}

void StatusLine::showPaused(std::uint64_t game, std::uint64_t frame) {
    QString where = QStringLiteral("一時停止中");
    if (game > 0) {
        where +=
            QStringLiteral(" 第%1ゲーム %2コマ目").arg(groupedDigits(game), groupedDigits(frame));
    }
    say(where, QStringLiteral("「.」で1コマ送り、「P」で再開"), withStatus(title_, where));
}

void StatusLine::showReplay(std::uint64_t done, std::uint64_t last) {
    const auto percent = last == 0 ? 100 : done * 100 / last;
    say(QStringLiteral("再生中 %1 / %2 ゲーム").arg(groupedDigits(done), groupedDigits(last)),
        QStringLiteral("表示するゲームまで、描かずに進めています"),
        withStatus(title_, QStringLiteral("再生中 %1%").arg(percent)));
}

void StatusLine::clear() {
    say(QString(), QString(), title_);
}

QString StatusLine::text() const {
    return strip_->isHidden() ? QString() : line_->text();
}

void StatusLine::say(const QString& line, const QString& hint, const QString& title) {
    if (window_.windowTitle() != title) window_.setWindowTitle(title);
    if (line_->text() != line) line_->setText(line);
    if (hint_->text() != hint) hint_->setText(hint);
    strip_->setVisible(!line.isEmpty());
    if (!line.isEmpty()) strip_->raise();
}

}  // namespace rl00
