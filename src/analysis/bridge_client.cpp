#include "analysis/bridge_client.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <utility>

#include "analysis/bridge/bridge_failure.h"
#include "io/install_layout.h"
#include "io/paths.h"
#include "platform/json.h"

extern char** environ;

namespace rl00 {

namespace {

AutomationFailure failureOf(const std::string& reason) {
    namespace wire = bridge::reason;
    if (reason == wire::kNoServer) return AutomationFailure::NoServer;
    if (reason == wire::kNoDocument) return AutomationFailure::NoDocument;
    if (reason == wire::kDocumentFailed) return AutomationFailure::DocumentFailed;
    if (reason == wire::kDocumentLocked) return AutomationFailure::DocumentLocked;
    if (reason == wire::kNoSheet) return AutomationFailure::NoSheet;
    if (reason == wire::kNoMacro) return AutomationFailure::NoMacro;
    if (reason == wire::kMacroFailed) return AutomationFailure::MacroFailed;
    if (reason == wire::kNothingToAnalyse) return AutomationFailure::NothingToDo;
    if (reason == wire::kServerGone) return AutomationFailure::ServerGone;
    return AutomationFailure::Other;
}

json::Value toJson(const Variant& v) {
    struct Visitor {
        json::Value operator()(std::monostate) const { return {}; }
        json::Value operator()(bool b) const { return json::Value(b); }
        json::Value operator()(Int32 i) const { return json::Value(i); }
        json::Value operator()(double d) const { return json::Value(d); }
        json::Value operator()(const std::string& s) const { return json::Value(s); }
        json::Value operator()(const ObjectRef&) const {
            throw AutomationError(AutomationFailure::Other, err::kTypeMismatch,
                                  "objects cannot be passed to the spreadsheet program");
        }
    };
    return std::visit(Visitor{}, v);
}

json::Value toJson(const Args& args) {
    json::Array items;
    for (const auto& a : args)
        items.push_back(toJson(a));
    return json::Value(std::move(items));
}

}  // namespace

// One running helper and the socket to it.
class BridgeChannel : public std::enable_shared_from_this<BridgeChannel> {
  public:
    BridgeChannel(const std::string& helper, std::function<bool()> keep_waiting)
        : keep_waiting_(std::move(keep_waiting)) {
        if (::access(helper.c_str(), X_OK) != 0)
            throw AutomationError(AutomationFailure::NoServer, err::kCannotCreateObject,
                                  "LibreOffice Calc との連携プログラムがありません: " + helper);
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
            throw AutomationError(AutomationFailure::NoServer, err::kCannotCreateObject,
                                  "socketpair failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        std::string program = helper;
        char* argv[] = {program.data(), nullptr};
        const int spawned = ::posix_spawn(&pid_, helper.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (spawned != 0) {
            ::close(fds[0]);
            throw AutomationError(AutomationFailure::NoServer, err::kCannotCreateObject,
                                  "cannot start " + helper);
        }
        fd_ = fds[0];
    }

    ~BridgeChannel() { close(); }
    BridgeChannel(const BridgeChannel&) = delete;
    BridgeChannel& operator=(const BridgeChannel&) = delete;

    // Sends one request and waits for its answer; returns the answer's value.
    json::Value request(json::Object message) {
        if (fd_ < 0)
            throw AutomationError(AutomationFailure::ServerGone, err::kServerUnavailable, "");
        const std::string line = json::write(json::Value(std::move(message))) + "\n";
        for (std::size_t sent = 0; sent < line.size();) {
            const ssize_t n = ::send(fd_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) gone("the helper does not listen");
            sent += static_cast<std::size_t>(n);
        }
        const json::Value reply = readReply();
        ++answers_;
        if (reply["ok"].isBool() && reply["ok"].asBool()) return reply["value"];
        const std::string reason = reply["reason"].isString() ? reply["reason"].asString() : "";
        const Int32 number = reply["number"].isInt() ? static_cast<Int32>(reply["number"].asInt())
                                                     : err::kApplicationDefined;
        throw AutomationError(failureOf(reason), number,
                              reply["text"].isString() ? reply["text"].asString() : "");
    }

    // Ends the helper: at the end of its input it lets go of the office and exits; one that
    // does not within two seconds is stopped.
    void close() {
        if (fd_ < 0) return;
        ::shutdown(fd_, SHUT_WR);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::close(fd_);
        fd_ = -1;
    }

    Variant fromJson(const json::Value& v);

  private:
    static constexpr std::size_t kMaxAnswerBytes = bridge::kMaxLineBytes;

    [[noreturn]] void tooLong() {
        gone("the helper's answer is longer than " + std::to_string(kMaxAnswerBytes >> 20) +
             " MiB");
    }

    [[noreturn]] void gone(const std::string& why) {
        close();
        // Before its first answer the helper never reached the office.
        if (answers_ == 0)
            throw AutomationError(AutomationFailure::NoServer, err::kCannotCreateObject, why);
        throw AutomationError(AutomationFailure::ServerGone, err::kServerUnavailable, why);
    }

    json::Value readReply() {
        for (;;) {
            const std::size_t end = buffer_.find('\n', scanned_);
            if (end != std::string::npos) {
                if (end > kMaxAnswerBytes) tooLong();
                const std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                scanned_ = 0;
                try {
                    return json::parse(line);
                } catch (const json::ParseError& e) {
                    gone(std::string("unreadable answer: ") + e.what());
                }
            }
            // Only what arrives next can hold the line's end; rescanning the whole buffer
            // for every chunk would take time quadratic in the line's length.
            scanned_ = buffer_.size();
            if (scanned_ > kMaxAnswerBytes) tooLong();
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, 10);
            if (ready < 0 && errno != EINTR) gone("poll failed");
            if (ready <= 0) {
                if (!keep_waiting_()) {
                    ::kill(pid_, SIGTERM);
                    close();
                    throw AutomationError(AutomationFailure::Abandoned, err::kServerUnavailable,
                                          "");
                }
                continue;
            }
            char chunk[4096];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) gone("the helper ended");
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    std::function<bool()> keep_waiting_;
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string buffer_;
    std::size_t scanned_ = 0;  // bytes of buffer_ known to hold no line break
    int answers_ = 0;
};

namespace {

ObjectRef objectIn(const Variant& value) {
    if (const auto* obj = std::get_if<ObjectRef>(&value); obj != nullptr && *obj) return *obj;
    throw AutomationError(AutomationFailure::Other, err::kObjectRequired, "");
}

// An object that lives in the helper, known here by its number.
class BridgeObject : public AutoObject {
  public:
    BridgeObject(std::shared_ptr<BridgeChannel> channel, std::int64_t id)
        : channel_(std::move(channel)), id_(id) {}

    Variant get(const std::string& member, const Args& args) override {
        return send("get", member, args, nullptr);
    }
    void put(const std::string& member, const Args& args, const Variant& value) override {
        send("put", member, args, &value);
    }
    Variant call(const std::string& member, const Args& args) override {
        return send("call", member, args, nullptr);
    }

  private:
    Variant send(const char* op, const std::string& member, const Args& args,
                 const Variant* value) {
        json::Object message{{"op", op}, {"obj", id_}, {"member", member}, {"args", toJson(args)}};
        if (value != nullptr) message["value"] = toJson(*value);
        return channel_->fromJson(channel_->request(std::move(message)));
    }

    std::shared_ptr<BridgeChannel> channel_;
    std::int64_t id_;
};

}  // namespace

Variant BridgeChannel::fromJson(const json::Value& v) {
    if (v.isNull()) return {};
    if (v.isBool()) return v.asBool();
    if (v.isInt()) {
        const std::int64_t i = v.asInt();
        if (i >= INT32_MIN && i <= INT32_MAX) return static_cast<Int32>(i);
        return static_cast<double>(i);
    }
    if (v.isDouble()) return v.asNumber();
    if (v.isString()) return v.asString();
    if (v["obj"].isInt())
        return ObjectRef(std::make_shared<BridgeObject>(shared_from_this(), v["obj"].asInt()));
    return {};
}

BridgeAutomation::BridgeAutomation(std::string helper, std::function<bool()> keep_waiting)
    : helper_(std::move(helper)), keep_waiting_(std::move(keep_waiting)) {}

BridgeAutomation::~BridgeAutomation() {
    disconnect();
}

BridgeChannel& BridgeAutomation::channel() {
    if (!channel_) channel_ = std::make_shared<BridgeChannel>(helper_, keep_waiting_);
    return *channel_;
}

ObjectRef BridgeAutomation::CreateObject(const std::string& class_name) {
    BridgeChannel& c = channel();
    const Variant app = c.fromJson(c.request({{"op", "create"}, {"class", class_name}}));
    return objectIn(app);
}

ObjectRef BridgeAutomation::GetObject(const std::string& path) {
    std::string native = toNativePath(path);
    if (!native.starts_with("/")) {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd) != nullptr) native = std::string(cwd) + "/" + native;
    }
    BridgeChannel& c = channel();
    const Variant book = c.fromJson(c.request({{"op", "open"}, {"path", native}}));
    return objectIn(book);
}

void BridgeAutomation::disconnect() {
    if (!channel_) return;
    channel_->close();
    channel_.reset();
}

namespace {

constexpr const char* kBridgeProgram = "rl00-calc-bridge";

}  // namespace

std::string defaultBridgePath() {
    if (const char* set = std::getenv("RL00_CALC_BRIDGE"); set != nullptr && *set != '\0')
        return set;
    return helperProgram(executableFolder(), kBridgeProgram);
}

}  // namespace rl00
