#include "frontends/qt/charts/report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QChartView>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "frontends/qt/charts/report_page.h"
#include "frontends/qt/charts/run_charts.h"
#include "io/leftovers.h"
#include "stats/stats_file.h"
#include "stats/stats_report.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

namespace fs = std::filesystem;

// The PNG files have twice the pixels of the charts on the page, sharp on a fine screen.
constexpr qreal kPngPixelRatio = 2.0;

using Files = std::vector<std::pair<std::string, QByteArray>>;

struct Refusal {
    std::string what;
};

// The page shows no machine's line, so none is kept: a file of a million machines is read in
// little more memory than one of a single machine.
StatsDocument readDocument(const std::string& name) {
    try {
        return readStatsFileAt(name, MachineLinesRead::Drop);
    } catch (const StatsFileError& e) {
        throw Refusal{e.what()};
    }
}

// The folder the report goes into, without a trailing slash; refused unless missing or empty.
fs::path targetFolder(const std::string& dir) {
    fs::path target = fs::path(dir).lexically_normal();
    if (!target.has_filename()) target = target.parent_path();
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    if (status.type() == fs::file_type::not_found) return target;
    if (!fs::is_directory(status) || !fs::is_empty(target, ec) || ec)
        throw Refusal{dir + " is not an empty folder: the report goes into a new or empty one"};
    return target;
}

// In the chart's own pixels: a paint device's size counts its device pixels.
QByteArray png(QChartView& view, QSize size) {
    QImage image(size * kPngPixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(kPngPixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.render(&painter, QRectF(QPointF(0.0, 0.0), size));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray svg(QChartView& view, QSize size, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(title);
    QPainter painter(&generator);
    view.render(&painter, QRectF(QPointF(0.0, 0.0), size));
    painter.end();
    return bytes;
}

Files render(const std::string& stats_file, const StatsDocument& d) {
    std::optional<Theory> theory;
    if (theoryApplies(d.run.argument)) theory = computeTheory();
    // A view lays its chart out when shown; this one is shown nowhere.
    QWidget holder;
    holder.setAttribute(Qt::WA_DontShowOnScreen);
    RunCharts charts(theory ? &*theory : nullptr, &holder);
    charts.plot(d.counts);
    for (const ChartKind kind : kChartKinds)
        charts.view(kind)->resize(chartSize(kind));
    holder.show();
    Files files;
    std::vector<PageChart> shown;
    for (const ChartKind kind : kChartKinds) {
        QChartView& view = *charts.view(kind);
        const std::string stem = chartFileStem(kind);
        const QSize size = chartSize(kind);
        files.emplace_back(stem + ".png", png(view, size));
        files.emplace_back(stem + ".svg", svg(view, size, charts.title(kind)));
        shown.push_back({charts.title(kind).toStdString(), stem, size.width(), size.height()});
    }
    const std::string page = reportPage(fs::path(stats_file).filename().string(), d, shown);
    files.emplace_back(kReportPage, QByteArray::fromStdString(page));
    return files;
}

// Closes the folder's descriptor, and with it the lock that marks the folder as in use.
struct HeldFolder {
    int fd;
    ~HeldFolder() {
        if (fd >= 0) ::close(fd);
    }
};

// Writes the files into a fresh folder beside `target` and renames it to `target`; false with
// the reason in `why` (the fresh folder removed) when anything failed. A folder that a killed
// report left there is removed first.
bool writeFolder(const fs::path& target, const Files& files, std::string& why) {
    const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // Appended piece by piece: GCC 12 misreads the size of "." + std::string&& once inlined.
    std::string prefix = ".";
    prefix += target.filename().string();
    prefix += ".rl00-";
    removeLeftovers(parent.string(), [&prefix](std::string_view name) {
        return name.starts_with(prefix) && isTemporarySuffix(name.substr(prefix.size()));
    });
    std::string name = (parent / (prefix + "XXXXXX")).string();
    if (::mkdtemp(name.data()) == nullptr) {
        why = std::strerror(errno);
        return false;
    }
    const HeldFolder held{::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (held.fd >= 0) holdWhileOpen(held.fd);
    // As a folder made by mkdir would be, not the private one mkdtemp makes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(name.c_str(), 0777 & ~mask);
    const fs::path temporary(name);
    for (const auto& [file, bytes] : files) {
        std::ofstream out(temporary / file, std::ios::binary);
        out.write(bytes.constData(), bytes.size());
        out.close();
        if (!out) {
            why = (temporary / file).string() + ": " + std::strerror(errno);
            fs::remove_all(temporary);
            return false;
        }
    }
    // Onto a missing or empty folder only: one that filled meanwhile is not replaced.
    if (std::rename(name.c_str(), target.c_str()) != 0) {
        why = std::strerror(errno);
        fs::remove_all(temporary);
        return false;
    }
    return true;
}

}  // namespace

int writeReport(const std::string& stats_file, const std::string& dir, std::ostream& out,
                std::ostream& err) {
    fs::path target;
    Files files;
    try {
        const StatsDocument d = readDocument(stats_file);
        target = targetFolder(dir);
        files = render(stats_file, d);
    } catch (const Refusal& r) {
        err << "rl00: " << r.what << "\n";
        return 2;
    }
    std::string why;
    if (!writeFolder(target, files, why)) {
        err << "rl00: cannot write the report into " << dir << ": " << why << "\n";
        return 1;
    }
    out << (target / kReportPage).string() << "\n";
    return 0;
}

}  // namespace rl00
