#pragma once
// What the window says about how it shows the machine, which the machine's own labels cannot:
// that the animation is paused and which frame of which game stands on the screen, and how far
// a replay has come. It goes into the title, for task bars, and onto a strip over the foot of
// the about text, the one place of the window wide enough for it at every zoom; the strip is
// shown only while there is something to say.

#include <QRect>
#include <QString>
#include <cstdint>

class QWidget;

namespace rl00 {

class FitLabel;

class StatusLine {
  public:
    // `window` keeps its title; the strip lies at `place`, in the window's pixels.
    StatusLine(QWidget& window, QRect place);

    // Paused in game `game` with its frame `frame` on the screen (game 0: between games).
    void showPaused(std::uint64_t game, std::uint64_t frame);
    // Games 1..`done` of 1..`last` replayed.
    void showReplay(std::uint64_t done, std::uint64_t last);
    void clear();

    // The strip's first line ("" while hidden).
    QString text() const;

  private:
    void say(const QString& line, const QString& hint, const QString& title);

    QWidget& window_;
    QString title_;
    QWidget* strip_;
    FitLabel* line_;
    FitLabel* hint_;
};

// A count as the window shows it: digits grouped by three ("2,147,483,647").
QString groupedDigits(std::uint64_t n);

}  // namespace rl00
