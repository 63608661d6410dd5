#pragma once
// The page's link: index.html?seed=S&arg=7&frame-ms=X&replay=G&paused=1&zoom=2 plays exactly the
// games of rl00-headless --seed S with the same argument and frame period, games 1..G-1 at once
// and game G shown. A parameter the page cannot take is one line naming it and what it takes; its
// default is used and the page plays on. Three more parameters serve checks: games=N plays N games
// one after another, the first shown=K of them frame by frame at no delay and the rest at once,
// and trace=1 hands the page every game's trace line.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rl00 {

inline constexpr int kPageMinZoom = 1;
inline constexpr int kPageMaxZoom = 4;

struct PageLink {
    std::optional<std::uint64_t> seed;
    std::string argument;  // "", "1", "7" or "8"
    std::optional<double> frame_ms;
    std::uint64_t replay = 0;  // 0: none
    bool paused = false;
    int zoom = 0;  // 0: the remembered or fitting zoom
    std::optional<std::uint64_t> games;
    std::uint64_t shown = 0;
    bool trace = false;
    // One line per parameter that was not taken.
    std::vector<std::string> faults;
};

// Reads the query part of a link ("?seed=7&arg=1", with or without the '?').
PageLink readPageLink(std::string_view query);

// The query of the link that shows game `game` of a seeded run again.
std::string linkToGame(const PageLink& link, std::uint64_t game);

}  // namespace rl00
