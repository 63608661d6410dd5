#include "machine/msg_show.h"

#include "machine/machine.h"
#include "machine/texts.h"
#include "platform/display.h"

namespace rl00 {

namespace {

struct KindStyle {
    const char* caption;
    Int32 buttons;
    Int32 icon;
};

KindStyle styleOf(Int16 kind) {
    switch (kind) {
        case msg::kMessage:
            return {text::kCaptionMessage, mb::kOk, mb::kIconInformation};
        case msg::kChoice:
            return {text::kCaptionChoice, mb::kYesNo, mb::kIconQuestion};
        case msg::kWarning:
            return {text::kCaptionWarning, mb::kOk, mb::kIconExclamation};
        case msg::kError:
            return {text::kCaptionError, mb::kOk, mb::kIconCritical};
        default:
            return {text::kCaptionSystemError, mb::kOk, mb::kIconCritical};
    }
}

}  // namespace

Int32 MSG_SHOW(Machine& m, const std::string& title, std::string& message, Int16& kind) {
    const KindStyle style = styleOf(kind);
    if (kind == msg::kError) {
        message += "\r" + std::to_string(m.err.number) + " :" + m.err.description;
    } else if (kind < msg::kMessage || kind > msg::kError) {
        message = text::kMessageLost;
        kind = 0;
    }
    const Int32 pressed =
        m.display.messageBox(message, title + style.caption, style.buttons + style.icon);
    if (kind == msg::kError || kind == 0) m.display.endProgram(1);
    return pressed;
}

void showSystemError(Machine& m, const RuntimeError& e) {
    m.err.set(e);
    showSystemError(m);
}

void showSystemError(Machine& m) {
    std::string text = text::kSystemError;
    Int16 kind = msg::kError;
    MSG_SHOW(m, "", text, kind);
    m.display.endProgram(1);  // not reached: a kind-4 message ends the program itself
}

void showMessage(Machine& m, const std::string& text) {
    std::string copy = text;
    Int16 kind = msg::kMessage;
    MSG_SHOW(m, "", copy, kind);
}

}  // namespace rl00
