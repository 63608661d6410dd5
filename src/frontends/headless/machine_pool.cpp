#include "frontends/headless/machine_pool.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>

#include "frontends/headless/progress.h"

namespace rl00 {

namespace {

class Pool {
  public:
    Pool(const MachineSetup& setup, const PoolPlan& plan, OrderedOutput& output)
        : setup_(setup), plan_(plan), output_(output), next_machine_(plan.range.first) {
        for (std::uint64_t k = plan.range.first; k < plan.range.end; ++k)
            result_.summaries.push_back(MachineSummary{.machine = k});
    }

    PoolResult run(std::ostream& err) {
        const auto started = ProgressLine::Clock::now();
        ProgressLine progress(err, started);
        std::vector<std::thread> threads;
        for (unsigned t = 0; t < plan_.threads; ++t)
            threads.emplace_back([this] { work(); });
        watch(err, progress);
        for (std::thread& t : threads)
            t.join();
        progress.clear();
        result_.threads = plan_.threads;
        result_.wall_s =
            std::chrono::duration<double>(ProgressLine::Clock::now() - started).count();
        return std::move(result_);
    }

  private:
    // Takes machines until none is left.
    void work() {
        for (std::uint64_t k = next_machine_++; k < plan_.range.end; k = next_machine_++) {
            OrderedOutput::Sinks sinks = output_.begin(k);
            const std::string report = *plan_.halt ? std::string() : playOne(k, sinks);
            output_.end(std::move(sinks));
            const std::lock_guard<std::mutex> lock(mutex_);
            reports_ += report;
            ++machines_done_;
            changed_.notify_all();
        }
    }

    // Plays machine k; what it has to say on the error stream.
    std::string playOne(std::uint64_t k, const OrderedOutput::Sinks& sinks) {
        try {
            const MachineResult r =
                playMachine(setup_, k, sinks.trace, sinks.log_name_suffix, games_done_);
            if (r.exit_code != 0) halt();
            const std::lock_guard<std::mutex> lock(mutex_);
            result_.total.merge(r.stats.counts());
            result_.motions.recorded += r.motions.recorded;
            result_.motions.accounted += r.motions.accounted;
            result_.motions.stepped += r.motions.stepped;
            result_.motions.refused += r.motions.refused;
            result_.summaries[k - plan_.range.first] = r.stats.summary();
            return r.report;
        } catch (const std::exception& e) {
            halt();
            const std::lock_guard<std::mutex> lock(mutex_);
            result_.failed = true;
            return "rl00-headless: machine " + std::to_string(k) + " failed: " + e.what() + "\n";
        }
    }

    void halt() { *plan_.halt = true; }

    // Passes the reports on as they come and keeps the progress line until every machine is done.
    void watch(std::ostream& err, ProgressLine& progress) {
        const std::uint64_t machines = plan_.range.size();
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait_for(lock, ProgressLine::kInterval,
                              [&] { return machines_done_ == machines || !reports_.empty(); });
            if (!reports_.empty()) {
                progress.clear();
                err << std::exchange(reports_, {}) << std::flush;
            }
            if (machines_done_ == machines) return;
            if (plan_.progress) {
                progress.update(
                    ProgressLine::Clock::now(),
                    {games_done_.load(), setup_.games * machines, machines_done_, machines, 0.0});
            }
        }
    }

    const MachineSetup& setup_;
    const PoolPlan& plan_;
    OrderedOutput& output_;
    std::atomic<std::uint64_t> next_machine_;
    std::atomic<std::uint64_t> games_done_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t machines_done_ = 0;
    std::string reports_;  // not yet printed
    PoolResult result_;
};

}  // namespace

PoolResult playPool(const MachineSetup& setup, const PoolPlan& plan, OrderedOutput& output,
                    std::ostream& err) {
    return Pool(setup, plan, output).run(err);
}

}  // namespace rl00
