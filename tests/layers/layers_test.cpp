// The layers of src/ and app/, bottom to top: a file may include files of its own layer and of
// the layers below it, never of a layer above it or of a peer. The check reads the sources as
// text, so it also holds inside one library target, where the build itself would not notice.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Layer {
    const char* folder;  // below src/ (or "app")
    int rank;            // an include must not go to a higher rank, nor to another layer of its own
};

// The most specific folder wins: analysis/bridge is the helper program, below the launcher that
// speaks its protocol; the front ends are peers.
// clang-format off
constexpr Layer kLayers[] = {
    {"platform", 0},
    {"machine", 1},
    {"io", 2},
    {"reels", 3},
    {"reaches", 4},
    {"engine", 5},
    {"stats", 6},
    {"session", 7},
    {"analysis/bridge", 8},
    {"analysis/tools", 8},
    {"analysis", 9},
    {"frontends/headless", 10},
    {"frontends/qt", 10},
    {"frontends/web", 10},
    {"app", 11},
};
// clang-format on

// The layer of a path relative to the source root ("machine/machine.h", "app/main.cpp").
const Layer* layerOf(const std::string& path) {
    const Layer* best = nullptr;
    for (const Layer& l : kLayers) {
        const std::string folder = std::string(l.folder) + "/";
        if (path.starts_with(folder) &&
            (best == nullptr || std::string(l.folder).size() > std::string(best->folder).size())) {
            best = &l;
        }
    }
    return best;
}

struct BackEdge {
    std::string file;
    int line;
    std::string included;
    std::string why;
};

std::vector<BackEdge> findBackEdges(const fs::path& root) {
    static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<BackEdge> edges;
    for (const char* top : {"src", "app"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
            const std::string shown = fs::relative(entry.path(), root).generic_string();
            const std::string rel = shown.starts_with("src/") ? shown.substr(4) : shown;
            const Layer* from = layerOf(rel);
            if (from == nullptr) {
                edges.push_back({shown, 0, "", "the file lies in no layer"});
                continue;
            }
            std::ifstream in(entry.path());
            std::string text;
            for (int n = 1; std::getline(in, text); ++n) {
                std::smatch m;
                if (!std::regex_search(text, m, include)) continue;
                const std::string inc = m[1];
                if (!fs::exists(root / "src" / inc)) continue;  // a file of its own folder, moc
                const Layer* to = layerOf(inc);
                if (to == nullptr || to == from || to->rank < from->rank) continue;
                edges.push_back({shown, n, inc,
                                 std::string(to->folder) +
                                     (to->rank == from->rank ? " is a peer of " : " lies above ") +
                                     from->folder});
            }
        }
    }
    return edges;
}

TEST(Layers, NoIncludeRunsUpwardsOrSideways) {
    const std::vector<BackEdge> edges = findBackEdges(RL00_SOURCE_DIR);
    for (const BackEdge& e : edges) {
        ADD_FAILURE() << e.file << ":" << e.line << ": includes \"" << e.included
                      << "\": " << e.why;
    }
    if (edges.empty()) std::cout << "no include runs upwards or sideways\n";
}

TEST(Layers, EveryFolderOfTheSourcesIsALayer) {
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(RL00_SOURCE_DIR) / "src")) {
        if (!entry.is_directory()) continue;
        const std::string rel =
            fs::relative(entry.path(), fs::path(RL00_SOURCE_DIR) / "src").generic_string() + "/x";
        if (rel == "frontends/x") continue;  // the front ends' common parent holds no files
        EXPECT_NE(layerOf(rel), nullptr) << "src/" << rel.substr(0, rel.size() - 2);
    }
}

}  // namespace
