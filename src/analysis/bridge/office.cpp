#include "analysis/bridge/office.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/task/XInteractionRequest.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <osl/file.hxx>
#include <rtl/ref.hxx>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "analysis/bridge/bridge_failure.h"
#include "analysis/bridge/document_lock.h"
#include "analysis/bridge/office_pipe.h"

namespace rl00::bridge {

namespace beans = com::sun::star::beans;
namespace container = com::sun::star::container;
namespace task = com::sun::star::task;

std::string toUtf8(const rtl::OUString& s) {
    const rtl::OString utf8 = rtl::OUStringToOString(s, RTL_TEXTENCODING_UTF8);
    return std::string(utf8.getStr(), static_cast<std::size_t>(utf8.getLength()));
}

rtl::OUString fromUtf8(const std::string& s) {
    return rtl::OUString(s.data(), static_cast<sal_Int32>(s.size()), RTL_TEXTENCODING_UTF8);
}

namespace {

// The old runtime's "Permission denied": what opening a file that another program holds gave.
constexpr int kLockedNumber = 70;

std::string environment(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::string fileUrl(const std::string& path) {
    rtl::OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(fromUtf8(path), url) != osl::FileBase::E_None)
        return "";
    return toUtf8(url);
}

void makeDirectories(const std::string& path) {
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        ::mkdir(path.substr(0, at).c_str(), 0700);
        if (at == std::string::npos) break;
    }
}

[[noreturn]] void noOffice(const std::string& why) {
    throw BridgeFailure{reason::kNoServer, err::kCannotCreateObject, why};
}

// Only names this helper makes are taken from the file: anything else would be a name that
// someone else chose.
std::string readPipeName(const std::string& file) {
    std::ifstream in(file);
    std::string name;
    std::getline(in, name);
    const bool ours = name.size() == 37 && name.starts_with("rl00_") &&
                      name.find_first_not_of("0123456789abcdef", 5) == std::string::npos;
    return ours ? name : "";
}

// Replaces the file as a whole, so that a helper reading it meanwhile sees one name or the other.
void writePipeName(const std::string& file, const std::string& name) {
    const std::string temp = file + ".new";
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) noOffice("パイプの名前を " + temp + " に書けません");
    const std::string line = name + "\n";
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        noOffice("パイプの名前を " + file + " に書けません");
    }
}

std::string pipeSocketOf(const std::string& name) {
    std::string path = pipeSocketPath(name, ::getuid());
    if (path.empty()) noOffice("/tmp にも /var/tmp にもパイプを作れません");
    return path;
}

bool hasUtf8Locale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        const std::string v(value);
        return v.find("UTF-8") != std::string::npos || v.find("utf8") != std::string::npos;
    }
    return false;
}

// Answers every question of the office with "abort": a dialog on a visible office would
// otherwise wait for a user who may not be looking, and the helper would wait with it.
class AbortingHandler : public cppu::WeakImplHelper1<task::XInteractionHandler> {
  public:
    void SAL_CALL handle(const uno::Reference<task::XInteractionRequest>& request) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (asked_.empty()) asked_ = toUtf8(request->getRequest().getValueTypeName());
        }
        for (const auto& continuation : request->getContinuations()) {
            uno::Reference<task::XInteractionAbort> abort(continuation, uno::UNO_QUERY);
            if (abort.is()) {
                abort->select();
                return;
            }
        }
    }
    std::string asked() {
        std::lock_guard<std::mutex> lock(mutex_);
        return asked_;
    }

  private:
    std::mutex mutex_;
    std::string asked_;
};

// The last line of what the office wrote on its error output before a crash's stack dump, cut to
// a length a message can show: the dump's frames say nothing to a user.
std::string lastErrorLine(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line, last;
    while (std::getline(in, line) && !line.starts_with("Fatal exception:")) {
        if (line.find_first_not_of(" \t\r") != std::string::npos) last = line;
    }
    constexpr std::size_t kMostBytes = 300;
    if (last.size() > kMostBytes) last.resize(kMostBytes);
    return last;
}

// A folder of the office's shared extension cache that this user cannot read: what an office
// run by root under a private umask leaves, and what makes every other user's office abort at
// its start. The installation is the folder above the office program's. Empty when there is none.
std::string closedSharedFolder(const std::string& soffice) {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::canonical(soffice, ec);
    if (ec) return "";
    const std::string cache =
        (program.parent_path().parent_path() / "share/uno_packages/cache").string();
    for (const std::string& dir : {cache, cache + "/uno_packages"}) {
        struct stat st {};
        if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            ::access(dir.c_str(), R_OK | X_OK) != 0)
            return dir;
    }
    return "";
}

beans::PropertyValue property(const char* name, const uno::Any& value) {
    beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

}  // namespace

OfficeOptions officeOptionsFromEnvironment() {
    OfficeOptions o;
    o.soffice = environment("RL00_SOFFICE", RL00_OFFICE_DIR "/program/soffice");
    const std::string data_home =
        environment("XDG_DATA_HOME", environment("HOME", "/tmp") + "/.local/share");
    o.profile_dir = environment("RL00_OFFICE_PROFILE", data_home + "/rl00/office");
    o.headless = environment("RL00_OFFICE_HEADLESS", "") == "1";
    o.connect_timeout_s = std::atoi(environment("RL00_OFFICE_TIMEOUT", "60").c_str());
    if (o.connect_timeout_s <= 0) o.connect_timeout_s = 60;
    return o;
}

bool Office::tryAttach(const std::string& pipe_name) {
    try {
        const auto resolver = com::sun::star::bridge::UnoUrlResolver::create(local_);
        const auto remote = resolver->resolve(
            fromUtf8("uno:pipe,name=" + pipe_name + ";urp;StarOffice.ComponentContext"));
        uno::Reference<uno::XComponentContext> context(remote, uno::UNO_QUERY_THROW);
        desktop_ = frame::Desktop::create(context);
        return true;
    } catch (const uno::Exception&) {
        // Not running yet, or still starting up.
        return false;
    }
}

// The profile folder, kept to the user alone: it holds the pipe's name. Returns the file of
// that name.
std::string Office::preparedProfile() {
    const std::string& dir = options_.profile_dir;
    makeDirectories(dir);
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        noOffice("プロファイルのフォルダ " + dir + " を作れません");
    if (st.st_uid != ::getuid())
        noOffice("プロファイルのフォルダ " + dir + " はほかのユーザーのものです");
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0 && ::chmod(dir.c_str(), 0700) != 0)
        noOffice("プロファイルのフォルダ " + dir + " をほかのユーザーから閉ざせません");
    return dir + "/rl00-pipe";
}

pid_t Office::start(const std::string& pipe_name) {
    if (::access(options_.soffice.c_str(), X_OK) != 0)
        noOffice("LibreOffice (" + options_.soffice + ") が見つかりません");
    const std::string profile = "-env:UserInstallation=" + fileUrl(options_.profile_dir);
    const std::string accept =
        "--accept=pipe,name=" + pipe_name + ";urp;StarOffice.ComponentContext";
    std::vector<std::string> args = {options_.soffice, "--norestore", "--nologo",
                                     "--nodefault",    profile,       accept};
    if (options_.headless) args.insert(args.begin() + 1, "--headless");
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const bool utf8 = hasUtf8Locale();
    // The office's error output is kept, so that a start that fails can be told with its reason.
    const int errors =
        ::open(errorFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    int told[2];
    if (::pipe2(told, O_CLOEXEC) != 0) noOffice("pipe failed");
    // The office is orphaned at once, and comes back to the helper as to its subreaper: so the
    // helper learns at once when it ends during the start.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);

    // Twice forked and in a session of its own, the office outlives the helper; it holds none
    // of the helper's pipes.
    const pid_t child = ::fork();
    if (child < 0) noOffice("fork failed");
    if (child == 0) {
        ::setsid();
        // The office makes its pipes under the umask, and the user's own might let others write
        // to them, which is connecting: that is taken away. Reading is left as the user has it:
        // an office run by root registers the installation's shared extensions and font caches,
        // and made private they abort every other user's office at its start.
        ::umask(::umask(0) | 022);
        const pid_t office = ::fork();
        if (office != 0) {
            static_cast<void>(::write(told[1], &office, sizeof office));
            ::_exit(0);
        }
        const int null_fd = ::open("/dev/null", O_RDWR);
        ::dup2(null_fd, 0);
        ::dup2(null_fd, 1);
        ::dup2(errors >= 0 ? errors : null_fd, 2);
        for (int fd = 3; fd < 1024; ++fd)
            ::close(fd);
        if (!utf8) ::setenv("LC_ALL", "C.UTF-8", 1);
        // The office's start script goes back to the folder it was started in and gives up
        // when it cannot: the window's may be closed to the user (one started with runuser
        // from root's folder). The profile folder is the user's own.
        static_cast<void>(::chdir(options_.profile_dir.c_str()));
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(told[1]);
    if (errors >= 0) ::close(errors);
    int status = 0;
    ::waitpid(child, &status, 0);
    pid_t office = 0;
    if (::read(told[0], &office, sizeof office) != static_cast<ssize_t>(sizeof office)) office = 0;
    ::close(told[0]);
    return office;
}

// An office that failed while starting is told at once, with its exit status and the last line
// of its error output, rather than after the time limit. One that ended well may have handed
// its work to an office of the same profile that runs already.
void Office::failIfStartFailed(pid_t office) const {
    int status = 0;
    if (office <= 0 || ::waitpid(office, &status, WNOHANG) != office) return;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
    const std::string how = WIFEXITED(status) ? "終了コード " + std::to_string(WEXITSTATUS(status))
                                              : "シグナル " + std::to_string(WTERMSIG(status));
    const std::string last = lastErrorLine(errorFile());
    const std::string closed = closedSharedFolder(options_.soffice);
    noOffice(
        "LibreOffice が起動中に終わりました (" + how + ")" + (last.empty() ? "" : ": " + last) +
        (closed.empty() ? ""
                        : "\nこのユーザーは LibreOffice の共有フォルダ " + closed +
                              " を読めません。管理者が chmod -R a+rX " + closed + " で直せます"));
}

void Office::connect() {
    if (connected()) return;
    try {
        if (!local_.is()) local_ = cppu::defaultBootstrap_InitialComponentContext();
    } catch (const uno::Exception& e) {
        noOffice("UNO: " + toUtf8(e.Message));
    }
    const std::string name_file = preparedProfile();
    const uid_t me = ::getuid();
    if (const std::string known = readPipeName(name_file); !known.empty()) {
        const std::string socket = pipeSocketOf(known);
        switch (checkPipeSocket(socket, me)) {
            case PipeSocket::Open:
                if (::chmod(socket.c_str(), 0600) != 0) break;
                [[fallthrough]];
            case PipeSocket::Ours:
                if (tryAttach(known)) return;
                break;
            case PipeSocket::Foreign:
                // Our office is not there (nobody else could have taken its name while it
                // ran); a new one gets a new name.
                std::fprintf(stderr, "rl00-calc-bridge: %s belongs to another user; not used\n",
                             socket.c_str());
                break;
            case PipeSocket::Missing:
                break;
        }
    }

    const std::string name = randomPipeName();
    if (name.empty()) noOffice("getrandom failed");
    writePipeName(name_file, name);
    const std::string socket = pipeSocketOf(name);
    const pid_t office = start(name);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(options_.connect_timeout_s);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        failIfStartFailed(office);
        switch (checkPipeSocket(socket, me)) {
            case PipeSocket::Missing:
                continue;  // still starting up
            case PipeSocket::Foreign:
                noOffice("LibreOffice のパイプ " + socket +
                         " がほかのユーザーのものになっています。接続しません");
            case PipeSocket::Open:
                if (::chmod(socket.c_str(), 0600) != 0)
                    noOffice("LibreOffice のパイプ " + socket +
                             " をほかのユーザーから閉ざせません");
                [[fallthrough]];
            case PipeSocket::Ours:
                if (tryAttach(name)) return;
                break;
        }
    }
    noOffice("LibreOffice に " + std::to_string(options_.connect_timeout_s) +
             " 秒以内に接続できませんでした");
}

void Office::quit() {
    if (!connected()) return;
    try {
        // Ending the office with a changed document open would make a visible office ask
        // whether to save it, and wait: the documents are closed unsaved first.
        const auto documents = desktop_->getComponents()->createEnumeration();
        while (documents->hasMoreElements()) {
            const uno::Any document = documents->nextElement();
            uno::Reference<com::sun::star::util::XModifiable> changed(document, uno::UNO_QUERY);
            if (changed.is()) changed->setModified(false);
            uno::Reference<com::sun::star::util::XCloseable> closeable(document, uno::UNO_QUERY);
            if (closeable.is()) closeable->close(true);
        }
        // An office still busy starting up refuses to end; it is asked again for a while.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!desktop_->terminate() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } catch (const uno::Exception&) {
        // The connection goes down with the office.
    }
    desktop_.clear();
}

void Office::checkLock(const std::string& path) {
    const std::optional<LockOwner> owner = readLock(path);
    if (!owner) return;
    if (!lockIsStale(*owner, path, fileUrl(options_.profile_dir)))
        throw BridgeFailure{reason::kDocumentLocked, kLockedNumber,
                            "使用中: " + describeOwner(*owner)};
    // Should the lock stay, the office asks about it while loading, and that is told as well.
    ::unlink(lockFilePath(path).c_str());
}

uno::Reference<frame::XModel> Office::open(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        throw BridgeFailure{reason::kNoDocument, err::kAutomationFileNotFound, path};
    const std::string url = fileUrl(path);
    if (url.empty()) throw BridgeFailure{reason::kNoDocument, err::kAutomationFileNotFound, path};
    const rtl::OUString wanted = fromUtf8(url);

    const auto documents = desktop_->getComponents()->createEnumeration();
    while (documents->hasMoreElements()) {
        uno::Reference<frame::XModel> model(documents->nextElement(), uno::UNO_QUERY);
        if (model.is() && model->getURL() == wanted) return model;
    }
    checkLock(path);

    rtl::Reference<AbortingHandler> handler(new AbortingHandler);
    uno::Sequence<beans::PropertyValue> props(3);
    props[0] = property("Hidden", uno::Any(!options_.headless));
    props[1] = property("MacroExecutionMode",
                        uno::Any(com::sun::star::document::MacroExecMode::ALWAYS_EXECUTE_NO_WARN));
    props[2] = property("InteractionHandler",
                        uno::Any(uno::Reference<task::XInteractionHandler>(handler.get())));
    std::string why;
    try {
        uno::Reference<frame::XComponentLoader> loader(desktop_, uno::UNO_QUERY_THROW);
        const auto component = loader->loadComponentFromURL(wanted, "_blank", 0, props);
        uno::Reference<frame::XModel> model(component, uno::UNO_QUERY);
        if (model.is()) return model;
    } catch (const com::sun::star::lang::DisposedException&) {
        throw;
    } catch (const uno::Exception& e) {
        why = toUtf8(e.Message);
    }
    const std::string asked = handler->asked();
    if (asked == "com.sun.star.document.LockedDocumentRequest" ||
        asked == "com.sun.star.document.OwnLockOnDocumentRequest") {
        // Another office took the document after we looked at its lock, or a lock we took
        // for stale could not be removed.
        const std::optional<LockOwner> owner = readLock(path);
        throw BridgeFailure{reason::kDocumentLocked, kLockedNumber,
                            owner ? "使用中: " + describeOwner(*owner) : ""};
    }
    if (!asked.empty()) why = why.empty() ? asked : why + " (" + asked + ")";
    throw BridgeFailure{reason::kDocumentFailed, err::kApplicationDefined, why};
}

}  // namespace rl00::bridge
