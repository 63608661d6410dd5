// rl00-calc-bridge: serves the automation class "Excel.application" with LibreOffice Calc for
// the analysis launch. One request per line on standard input, one answer per line on standard
// output, both JSON:
//   {"op":"create","class":"Excel.application"}        -> {"ok":true,"value":{"obj":1}}
//   {"op":"open","path":"/abs/ATARI.ods"}              -> {"ok":true,"value":{"obj":2}}
//   {"op":"get"|"put"|"call","obj":2,"member":"Sheets","args":["データ"],"value":...}
//   a refusal                                          -> {"ok":false,"reason":"no-sheet",
//                                                          "number":9,"text":"データ"}
// The helper ends at the end of its input; the office it started or attached to stays open.

#include <unistd.h>
#include <com/sun/star/lang/DisposedException.hpp>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "analysis/bridge/bridge_failure.h"
#include "analysis/bridge/calc_objects.h"
#include "analysis/bridge/office.h"
#include "platform/json.h"

namespace rl00::bridge {
namespace {

const char* const kServedClass = "excel.application";

class Server {
  public:
    explicit Server(Office& office) : office_(office), session_{office, {}} {}

    json::Value handle(const json::Value& request) {
        const std::string op = request["op"].isString() ? request["op"].asString() : "";
        if (op == "create") return created(request["class"]);
        if (op == "open") return opened(request["path"]);
        const json::Value& id = request["obj"];
        if (!id.isInt() || id.asInt() <= 0 ||
            static_cast<std::size_t>(id.asInt()) >= objects_.size())
            throw BridgeFailure{reason::kOther, 424, "unknown object"};
        BridgeObject& object = *objects_[static_cast<std::size_t>(id.asInt())];
        const std::string member = request["member"].isString() ? request["member"].asString() : "";
        static const json::Array no_args;
        const json::Array& args = request["args"].isArray() ? request["args"].asArray() : no_args;
        if (op == "get") return answer(object.get(member, args));
        if (op == "call") return answer(object.call(member, args));
        if (op == "put") {
            object.put(member, args, request["value"]);
            return answer({});
        }
        throw BridgeFailure{reason::kOther, 5, "unknown request " + op};
    }

    void releaseAll() {
        objects_.clear();
        session_.active.clear();
    }

  private:
    json::Value created(const json::Value& class_name) {
        std::string lower = class_name.isString() ? class_name.asString() : "";
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower != kServedClass)
            throw BridgeFailure{reason::kNoServer, err::kCannotCreateObject,
                                "class " + lower + " is not served here"};
        office_.connect();
        return answer({{}, makeApplication(session_)});
    }

    json::Value opened(const json::Value& path) {
        if (!path.isString())
            throw BridgeFailure{reason::kNoDocument, err::kAutomationFileNotFound, ""};
        office_.connect();
        session_.active = office_.open(path.asString());
        return answer({{}, makeWorkbook(session_, session_.active)});
    }

    json::Value answer(Result result) {
        json::Object reply{{"ok", true}};
        if (result.object) {
            objects_.push_back(std::move(result.object));
            reply["value"] = json::Object{{"obj", static_cast<std::int64_t>(objects_.size() - 1)}};
        } else {
            reply["value"] = std::move(result.value);
        }
        return reply;
    }

    Office& office_;
    Session session_;
    std::vector<std::shared_ptr<BridgeObject>> objects_{nullptr};  // ids start at 1
};

json::Value refusal(const char* why, int number, const std::string& text) {
    return json::Object{{"ok", false}, {"reason", why}, {"number", number}, {"text", text}};
}

bool looksDisposed(const std::string& message) {
    return message.find("disposed") != std::string::npos ||
           message.find("Binary URP bridge") != std::string::npos;
}

enum class LineRead { Line, TooLong, End };

// One request line of at most kMaxLineBytes; the rest of a longer one is read and dropped.
LineRead readRequest(std::istream& in, std::string& line) {
    line.clear();
    for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
        if (c == '\n') return line.size() > kMaxLineBytes ? LineRead::TooLong : LineRead::Line;
        if (line.size() <= kMaxLineBytes) line.push_back(static_cast<char>(c));
    }
    return line.empty() ? LineRead::End : LineRead::Line;
}

}  // namespace
}  // namespace rl00::bridge

int main() {
    using namespace rl00;
    using namespace rl00::bridge;

    ::setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" RL00_OFFICE_DIR "/program/fundamentalrc", 0);
    // The answers get a channel of their own: whatever the office libraries print to standard
    // output goes to standard error instead of into the protocol.
    FILE* answers = ::fdopen(::dup(STDOUT_FILENO), "w");
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    if (answers == nullptr) return 1;

    Office office(officeOptionsFromEnvironment());
    Server server(office);
    std::string line;
    for (LineRead read; (read = readRequest(std::cin, line)) != LineRead::End;) {
        json::Value reply;
        try {
            if (read == LineRead::TooLong) {
                throw BridgeFailure{
                    reason::kOther, 5,
                    "a request longer than " + std::to_string(kMaxLineBytes >> 20) + " MiB"};
            }
            reply = server.handle(json::parse(line));
        } catch (const BridgeFailure& f) {
            reply = refusal(f.reason, f.number, f.text);
        } catch (const json::ParseError& e) {
            reply = refusal(reason::kOther, 5, e.what());
        } catch (const com::sun::star::lang::DisposedException& e) {
            reply = refusal(reason::kServerGone, 462, toUtf8(e.Message));
        } catch (const com::sun::star::uno::Exception& e) {
            const std::string message = toUtf8(e.Message);
            reply = refusal(looksDisposed(message) ? reason::kServerGone : reason::kOther,
                            err::kApplicationDefined, message);
        }
        const std::string text = json::write(reply) + "\n";
        std::fwrite(text.data(), 1, text.size(), answers);
        std::fflush(answers);
    }
    // Let go of the office's objects, then leave without running the UNO runtime's shutdown,
    // which may wait on a bridge the office has already closed.
    server.releaseAll();
    std::fflush(answers);
    std::_Exit(0);
}
