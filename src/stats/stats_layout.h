#pragma once
// The statistics file's sections, each told once for both ways: a Format either writes the
// values (stats_file.cpp) or reads them back, checking every byte around them against what the
// writer writes (stats_file_read.cpp). A new count is one more line here; writing it, reading it
// and refusing a file that spells it differently all follow.
//
// A Format offers, each with the key of the member (nullptr for an item of an array):
//   beginObject(key, span) / endObject(), beginArray(key, span) / endArray()
//   whole(key, n)          a whole number that is read (n an unsigned or an int)
//   given(key, n)          a whole number both sides know; the reader checks its text
//   text(key, s)           a string: UTF-8 of bounded length
//   number(key, d)         a double, in its shortest form
//   optionalWhole(key, o)  a whole number or null
//   moreItems()            whether the array being read has another item
//   histogram(key, h)

#include <cstddef>
#include <cstdint>

#include "machine/game_state.h"
#include "platform/json.h"
#include "stats/run_stats.h"

namespace rl00 {

struct StatsDocument;

inline constexpr const char* kStatsFormat = "rl00-headless statistics";
inline constexpr std::uint64_t kStatsFormatVersion = 3;

// The figures derived from a document's counts and machines, at their place in the file. The
// reader writes them too, and compares.
void writeFigures(json::Writer& w, const StatsDocument& d);

// An array of `rows` objects, each numbered by its first member: {"kind": 1, ...}.
template <class Format, class Body>
void numberedRows(Format& f, const char* key, const char* number_key, std::size_t rows,
                  std::uint64_t first_number, Body body) {
    f.beginArray(key, json::Span::LinePerItem);
    for (std::size_t i = 0; i < rows; ++i) {
        f.beginObject(nullptr, json::Span::OneLine);
        f.given(number_key, first_number + i);
        body(i);
        f.endObject();
    }
    f.endArray();
}

// What must agree between the files of one run. `Run` is RunIdentity, const when written.
template <class Format, class Run>
void identityLayout(Format& f, Run& run) {
    f.beginObject("run", json::Span::OneLine);
    f.whole("seed", run.seed);
    f.text("argument", run.argument);
    f.number("frame_ms", run.frame_ms);
    f.whole("games_per_machine", run.games_per_machine);
    f.whole("machines", run.machines);
    f.optionalWhole("end_after_ms", run.end_after_ms);
    f.endObject();
}

// One machine's line. `Summary` is MachineSummary, const when written.
template <class Format, class Summary>
void machineLayout(Format& f, Summary& m) {
    f.beginObject(nullptr, json::Span::OneLine);
    f.whole("machine", m.machine);
    f.whole("games", m.games);
    f.whole("hits", m.hits);
    f.whole("longest_drought", m.longest_drought);
    f.whole("exit_code", m.exit_code);
    f.endObject();
}

inline constexpr const char* kPanelReachKeys[4] = {"doha", "oshi", "atari", "total"};
inline constexpr const char* kReachResultKeys[3] = {"far", "near", "hit"};

// Each mode's reaches by kind and result, a row per mode and kind.
template <class Format, class Stats>
void reachesByModeLayout(Format& f, Stats& s) {
    f.beginArray("reaches_by_mode", json::Span::LinePerItem);
    for (std::size_t m = 0; m < kModes; ++m) {
        for (std::size_t k = 1; k <= kReachKinds; ++k) {
            f.beginObject(nullptr, json::Span::OneLine);
            f.given("mode", m);
            f.given("kind", k);
            for (std::size_t result = 1; result <= 3; ++result)
                f.whole(kReachResultKeys[result - 1], s.by_mode_kind_result_[m][k][result]);
            f.endObject();
        }
    }
    f.endArray();
}

// The run's counts. `Stats` is RunStats, const when written.
template <class Format, class Stats>
void countsLayout(Format& f, Stats& s) {
    f.beginObject("counts", json::Span::LinePerItem);
    f.whole("games", s.games_);
    f.whole("hits", s.hits_);
    f.whole("kakuhen_hits", s.kakuhen_hits_);
    f.whole("frames", s.frames);
    f.whole("whole_ms", s.whole_ms);
    f.beginObject("panel", json::Span::OneLine);
    for (std::size_t i = 0; i < kPanelNames.size(); ++i)
        f.whole(kPanelNames[i], s.panel.counters[i]);
    f.endObject();
    numberedRows(f, "panel_reaches", "kind", kReachKinds, 1, [&](std::size_t k) {
        for (std::size_t i = 0; i < 4; ++i)
            f.whole(kPanelReachKeys[i], s.panel.reaches[k + 1][i]);
    });
    numberedRows(f, "reaches", "kind", kReachKinds, 1, [&](std::size_t k) {
        for (std::size_t result = 1; result <= 3; ++result)
            f.whole(kReachResultKeys[result - 1], s.by_kind_result_[k + 1][result]);
    });
    numberedRows(f, "modes", "mode", kModes, 0, [&](std::size_t m) {
        f.whole("games", s.by_mode_[m].trials);
        f.whole("hits", s.by_mode_[m].hits);
    });
    numberedRows(f, "previews", "preview", 2, 1, [&](std::size_t p) {
        f.whole("games", s.previews_[p + 1].trials);
        f.whole("hits", s.previews_[p + 1].hits);
    });
    reachesByModeLayout(f, s);
    numberedRows(f, "previews_by_mode", "mode", kModes, 0, [&](std::size_t m) {
        f.whole("preview1", s.previews_by_mode_[m][1]);
        f.whole("preview2", s.previews_by_mode_[m][2]);
    });
    f.beginObject("re_lottery", json::Span::OneLine);
    f.whole("normal_hits", s.re_lottery_[0].trials);
    f.whole("normal_shown", s.re_lottery_[0].hits);
    f.whole("kakuhen_hits", s.re_lottery_[1].trials);
    f.whole("kakuhen_shown", s.re_lottery_[1].hits);
    f.whole("overshoots", s.overshoots_);
    f.endObject();
    f.beginObject("jitan_periods", json::Span::OneLine);
    f.whole("ended", s.jitan_periods_.trials);
    f.whole("with_hit", s.jitan_periods_.hits);
    f.endObject();
    f.histogram("chains", s.chains);
    f.histogram("gaps", s.gaps);
    f.histogram("gaps_from_normal", s.gaps_from_normal);
    f.endObject();
}

}  // namespace rl00
