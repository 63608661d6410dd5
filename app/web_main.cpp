// The page's program: the browser runs it when the page has loaded.
#include "frontends/web/browser_host.h"
#include "frontends/web/page_link.h"
#include "frontends/web/web_program.h"

int main() {
    rl00::BrowserHost host;
    const rl00::PageLink link = rl00::readPageLink(rl00::pageQuery());
    for (const std::string& fault : link.faults)
        host.tell("fault", fault);
    const int code = rl00::runPage(host, link);
    host.tell("ended", std::to_string(code));
    return code;
}
