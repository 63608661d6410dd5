#include "frontends/qt/charts/report_page.h"

#include <charconv>
#include <optional>

#include "engine/rich_sel.h"
#include "frontends/qt/charts/chart_style.h"
#include "io/sjis.h"
#include "stats/figure_text.h"
#include "stats/stats_file.h"
#include "stats/stats_report.h"
#include "stats/theory.h"

#include "platform/markup.h"

namespace rl00 {

namespace {

constexpr const char* kModeNames[kModes] = {"通常", "確変", "時短"};

constexpr const char* kStyle =
    "body{font-family:\"IPAPGothic\",\"IPAGothic\",sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin:.5em 0 1.5em}"
    "th,td{border:1px solid #bbb;padding:.15em .6em;text-align:right;"
    "font-variant-numeric:tabular-nums}"
    "th{background:#eef2f8}td.l,th.l,th:first-child{text-align:left}"
    "td.mark{color:#c00;font-weight:bold}td[title]{cursor:help}"
    "figure{display:inline-block;margin:.5em 1em .5em 0}"
    "figcaption{font-size:.9em;color:#555}img{border:1px solid #ddd}";

// A number with `decimals` digits after the point, as the statistics file writes it.
std::string fixed(double value, int decimals) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end);
}

std::string cell(const std::string& text, const char* cls = nullptr) {
    return cls ? std::string("<td class=\"") + cls + "\">" + text + "</td>"
               : "<td>" + text + "</td>";
}

std::string headings(std::initializer_list<const char*> names) {
    std::string row = "<tr>";
    for (const char* name : names)
        row += std::string("<th>") + name + "</th>";
    return row + "</tr>\n";
}

// A share as a percentage, or a rate per 1,000 games, with four significant digits; the exact
// value, as the statistics file holds it, shows on hover.
// A row without trials shows "-" for what it observed, the file's figure still on hover.
std::string figureCell(const Comparison& c, double share, int decimals = kRateDecimals,
                       bool observed = false) {
    std::string text = c.scale == 1.0 ? percent(share) : significant(share * c.scale);
    if (observed && c.observed.trials == 0) text = "-";
    return "<td title=\"" + fixed(share * c.scale, decimals) + "\">" + text + "</td>";
}

std::string observedCell(const Comparison& c, int decimals = kRateDecimals) {
    return figureCell(c, c.observed.share(), decimals, true);
}

// The theory's figure and the mark: "!" for a theory outside the 99.99 % interval.
std::string theoryCells(const Comparison& c) {
    const char* mark = c.outside() ? "!" : "";
    return (c.theory ? figureCell(c, *c.theory) : cell("-")) + cell(mark, "mark");
}

std::string intervalCells(const Comparison& c, int decimals = kRateDecimals) {
    const Interval ci = c.ci95();
    return figureCell(c, ci.low, decimals, true) + figureCell(c, ci.high, decimals, true);
}

std::string runTable(const std::string& file_name, const StatsDocument& d) {
    const RunIdentity& run = d.run;
    auto row = [](const char* name, const std::string& value) {
        return std::string("<tr><th class=\"l\">") + name + "</th>" +
               cell(escapeMarkup(value), "l") + "</tr>\n";
    };
    std::string out = "<table>\n";
    out += row("統計ファイル", file_name);
    out += row("プログラム", "rl00-headless " + run.program_version);
    out += row("シード", std::to_string(run.seed));
    out += row("引数", run.argument.empty() ? "なし" : run.argument);
    char frame[32];
    const auto end = std::to_chars(frame, frame + sizeof frame, run.frame_ms).ptr;
    out += row("1コマ", std::string(frame, end) + " ms");
    out += row("台数", grouped(run.machines));
    out += row("1台の回転数", grouped(run.games_per_machine));
    out += row("回転数（合計）", grouped(d.counts.games()));
    out += row("大当たり", grouped(d.counts.hits()));
    out += row("完了", d.complete() ? "はい" : "いいえ（途中で終わった台があります）");
    return out + "</table>\n";
}

std::string chartFigures(const std::vector<PageChart>& charts) {
    std::string out;
    for (const PageChart& c : charts) {
        const std::string title = escapeMarkup(c.title);
        out += "<figure id=\"" + c.file_stem + "\"><a href=\"" + c.file_stem +
               ".svg\"><img src=\"" + c.file_stem + ".png\" width=\"" + std::to_string(c.width) +
               "\" height=\"" + std::to_string(c.height) + "\" alt=\"" + title +
               "\"></a><figcaption>拡大できる図: <a href=\"" + c.file_stem + ".svg\">" +
               c.file_stem + ".svg</a></figcaption>" + "</figure>\n";
    }
    return out;
}

std::string reachTable(const RunStats& s, const Report& r) {
    std::string out = "<table>\n";
    out += headings({"リーチ", "コード", "どは", "惜し", "大当", "信頼度", "95%下限", "95%上限",
                     "理論値", "印"});
    for (int k = 1; k <= kReachKinds; ++k) {
        const Comparison& c = r.reach_kinds[static_cast<std::size_t>(k - 1)];
        const auto kind = static_cast<Int16>(k);
        out += "<tr>" + cell(reachKindName(k).toStdString(), "l") +
               cell(escapeMarkup(std::string(richCode(kind))), "l");
        for (int result = 1; result <= 3; ++result)
            out += cell(grouped(s.reachResult(k, result)));
        out += observedCell(c, kShareDecimals) + intervalCells(c, kShareDecimals) + theoryCells(c) +
               "</tr>\n";
    }
    return out + "</table>\n";
}

std::string modeTable(const Report& r) {
    std::string out = "<table>\n";
    out += headings(
        {"状態", "回転数", "大当たり", "大当たり確率", "95%下限", "95%上限", "理論値", "印"});
    for (int m = 0; m < kModes; ++m) {
        const Comparison& c = r.modes[static_cast<std::size_t>(m)];
        out += "<tr>" + cell(kModeNames[m], "l") + cell(grouped(c.observed.trials)) +
               cell(grouped(c.observed.hits)) + observedCell(c) + intervalCells(c) +
               theoryCells(c) + "</tr>\n";
    }
    return out + "</table>\n";
}

std::string theoryTable(const Report& r) {
    std::string out = "<table>\n";
    out += headings({"項目", "件数", "母数", "観測値", "95%下限", "95%上限", "理論値", "印"});
    for (const Comparison& c : r.others) {
        out += "<tr>" + cell(escapeMarkup(c.caption), "l") + cell(grouped(c.observed.hits)) +
               cell(grouped(c.observed.trials)) + observedCell(c) + intervalCells(c) +
               theoryCells(c) + "</tr>\n";
    }
    return out + "</table>\n";
}

std::string meanTable(const Report& r) {
    auto value = [](const std::optional<double>& v) {
        return v ? significant(*v) : std::string("-");
    };
    std::string out = "<table>\n" + headings({"平均", "観測値", "理論値"});
    for (const MeanComparison& c : r.means)
        out += "<tr>" + cell(escapeMarkup(c.caption), "l") + cell(value(c.observed)) +
               cell(value(c.theory)) + "</tr>\n";
    return out + "</table>\n";
}

// Each machine's hits and longest drought: how they spread, beside the law of one machine.
std::string machineTable(const StatsDocument& d, const Theory* theory) {
    std::string out = "<table>\n" + headings({"1台ごと", "台数", "平均", "標準偏差", "最小", "最大",
                                              "理論 平均", "理論 標準偏差", "1台の99%範囲", "印"});
    for (const MachineComparison& c :
         compareMachines(d.machines, d.run.games_per_machine, theory)) {
        const Spread& s = c.observed;
        out += "<tr>" + cell(escapeMarkup(c.caption), "l") + cell(grouped(s.machines)) +
               cell(significant(s.mean)) + cell(s.machines > 1 ? significant(s.sd) : "-") +
               cell(grouped(s.min)) + cell(grouped(s.max));
        if (c.with_theory) {
            out += cell(significant(c.theory_mean)) + cell(significant(c.theory_sd)) +
                   cell(significant(c.usual_low) + " – " + significant(c.usual_high));
        } else {
            out += cell("-") + cell("-") + cell("-");
        }
        out += cell(c.outside.value_or(false) ? "!" : "", "mark") + "</tr>\n";
    }
    return out + "</table>\n";
}

}  // namespace

std::string reportPage(const std::string& file_name, const StatsDocument& d,
                       const std::vector<PageChart>& charts) {
    // A file's name is whatever bytes the system took; the page is UTF-8 throughout.
    const std::string name = validUtf8(file_name);
    std::optional<Theory> theory;
    if (theoryApplies(d.run.argument)) theory = computeTheory();
    const Report r = compare(d.counts, theory ? &*theory : nullptr, d.run.games_per_machine);

    std::string page =
        "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>統計レポート: " +
        escapeMarkup(name) + "</title>\n<style>" + kStyle +
        "</style>\n</head>\n<body>\n<h1>CRフォグランタン 統計レポート</h1>\n";
    page += runTable(name, d);
    if (!theory) {
        page +=
            "<p>試験モード（引数 7 / 8）の遊技なので、理論値はありません"
            "（理論は毎回転の抽選値が一様なことを前提にしています）。</p>\n";
    }
    page += "<h2>グラフ</h2>\n" + chartFigures(charts);
    page += "<h2>リーチの信頼度</h2>\n" + reachTable(d.counts, r);
    page += "<h2>状態ごとの大当たり確率</h2>\n" + modeTable(r);
    page += "<h2>理論値と観測値</h2>\n" + theoryTable(r);
    page += meanTable(r);
    if (d.machines.size() > 0)
        page +=
            "<h2>1台ごとの大当たりとハマり</h2>\n" + machineTable(d, theory ? &*theory : nullptr);
    page +=
        "<p>割合は%、回数は1,000回転あたりです。区間は95%の正確な二項区間で、"
        "状態がまとまって続く回転ごとの数字は、その分だけ広くとっています。"
        "印 <b>!</b>: 理論値が99.99%の区間の外にあります（正しい台でも1万回に1回ほど）。"
        "数字にカーソルを重ねると、統計ファイルの値が出ます。</p>\n</body>\n</html>\n";
    return page;
}

}  // namespace rl00
