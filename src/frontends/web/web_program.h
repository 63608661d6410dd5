#pragma once
// The page's program, from the load of frmRL00 to the machine's end: a seeded link plays the
// runner's games of its seed (a replay first plays the games before the one to show at once),
// a link without a seed plays as the window does, on the free-running idle counter, and a check's
// link plays its games one after another. Returns the exit code the machine ended with.

#include "frontends/web/page_link.h"

namespace rl00 {

class PageHost;

// The folder of the run log in the page's file system; the page keeps what is written there.
inline constexpr const char* kPageLogFolder = "/log";
inline constexpr const char* kPageLogName = "RL00LOG.TXT";

int runPage(PageHost& host, const PageLink& link);

}  // namespace rl00
