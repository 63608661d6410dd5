#pragma once
// LibreOffice as the helper reaches it: our own office (its own profile, its own pipe) is
// attached to when it runs and started otherwise, in its own session so that it stays open
// for the user when the helper ends. Only the user can reach that office: it starts with a
// umask that lets nobody else write (connect), on a pipe whose random name lives in the private
// profile folder (see office_pipe.h). Documents are loaded so that no dialog can block: every
// interaction is aborted, and macros run without asking.

#include <sys/types.h>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <string>

namespace rl00::bridge {

namespace uno = com::sun::star::uno;
namespace frame = com::sun::star::frame;

struct OfficeOptions {
    std::string soffice;         // the office program
    std::string profile_dir;     // our user installation; it also keeps the pipe's name
    bool headless = false;       // no windows at all (tests)
    int connect_timeout_s = 60;  // starting and connecting give up after this
};

// The options from the environment: RL00_SOFFICE, RL00_OFFICE_PROFILE, RL00_OFFICE_HEADLESS=1
// and RL00_OFFICE_TIMEOUT (seconds) override the defaults.
OfficeOptions officeOptionsFromEnvironment();

class Office {
  public:
    explicit Office(OfficeOptions options) : options_(std::move(options)) {}

    // Attaches to our office, starting it when it does not run. Throws BridgeFailure.
    void connect();
    bool connected() const { return desktop_.is(); }
    // Ends the office, with every document in it.
    void quit();

    // The document at `path` (a file system path), loaded or found among the open ones. A
    // lock left by an office that no longer runs is removed; a document another office has
    // open is refused. Throws BridgeFailure.
    uno::Reference<frame::XModel> open(const std::string& path);

  private:
    bool tryAttach(const std::string& pipe_name);
    // The office's process, or 0 when it is not known.
    pid_t start(const std::string& pipe_name);
    void failIfStartFailed(pid_t office) const;
    std::string errorFile() const { return options_.profile_dir + "/office-errors.txt"; }
    std::string preparedProfile();
    void checkLock(const std::string& path);

    OfficeOptions options_;
    uno::Reference<uno::XComponentContext> local_;
    uno::Reference<frame::XDesktop2> desktop_;
};

// The text of an UNO string in UTF-8, and back.
std::string toUtf8(const rtl::OUString& s);
rtl::OUString fromUtf8(const std::string& s);

}  // namespace rl00::bridge
