#pragma once
// The spreadsheet application as the launcher sees it (class "Excel.application"), served by
// LibreOffice Calc: the application, a workbook, its sheets, ranges and windows, each reached
// by member name. Members are matched without regard to case, as late binding does.

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <memory>
#include <string>

#include "analysis/bridge/office.h"
#include "platform/json.h"

namespace rl00::bridge {

class BridgeObject;

// A member's value: a plain value or an object.
struct Result {
    json::Value value;
    std::shared_ptr<BridgeObject> object;
};

// What the application's members act on: the office and its active workbook.
struct Session {
    Office& office;
    uno::Reference<frame::XModel> active;
};

class BridgeObject {
  public:
    virtual ~BridgeObject() = default;
    // Each throws BridgeFailure for a member the object does not have.
    virtual Result get(const std::string& member, const json::Array& args);
    virtual void put(const std::string& member, const json::Array& args, const json::Value& value);
    virtual Result call(const std::string& member, const json::Array& args);
};

std::shared_ptr<BridgeObject> makeApplication(Session& session);
std::shared_ptr<BridgeObject> makeWorkbook(Session& session,
                                           const uno::Reference<frame::XModel>& model);

// The workbook's report of how its macro went, in E4 of "データ": "OK ..." when it analysed
// the run logs, "NG ..." when it failed, "NA ..." when there was nothing to analyse (no file,
// or no run log among the files), which the user is told without calling it an error.
inline constexpr const char* kStatusSheet = "データ";
inline constexpr const char* kStatusCell = "E4";

}  // namespace rl00::bridge
