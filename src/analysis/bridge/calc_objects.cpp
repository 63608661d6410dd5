#include "analysis/bridge/calc_objects.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/container/NoSuchElementException.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/reflection/InvocationTargetException.hpp>
#include <com/sun/star/script/provider/ScriptErrorRaisedException.hpp>
#include <com/sun/star/script/provider/ScriptFrameworkErrorException.hpp>
#include <com/sun/star/script/provider/ScriptFrameworkErrorType.hpp>
#include <com/sun/star/script/provider/XScript.hpp>
#include <com/sun/star/script/provider/XScriptProvider.hpp>
#include <com/sun/star/script/provider/XScriptProviderSupplier.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <algorithm>
#include <cctype>

#include "analysis/bridge/bridge_failure.h"

namespace rl00::bridge {

namespace sheet = com::sun::star::sheet;
namespace table = com::sun::star::table;
namespace provider = com::sun::star::script::provider;

namespace {

bool is(const std::string& member, const char* name) {
    const std::string n(name);
    if (member.size() != n.size()) return false;
    for (std::size_t i = 0; i < n.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(member[i])) !=
            std::tolower(static_cast<unsigned char>(n[i])))
            return false;
    return true;
}

[[noreturn]] void noMember(const std::string& member) {
    throw BridgeFailure{reason::kOther, 438, member};
}

const json::Value& argument(const json::Array& args, std::size_t i, const std::string& member) {
    if (args.size() <= i) throw BridgeFailure{reason::kOther, 450, member};  // wrong arguments
    return args[i];
}

std::string text(const json::Value& v) {
    if (v.isString()) return v.asString();
    if (v.isBool()) return v.asBool() ? "True" : "False";
    if (v.isInt()) return std::to_string(v.asInt());
    if (v.isDouble()) return json::write(v);
    return "";
}

bool truth(const json::Value& v) {
    if (v.isBool()) return v.asBool();
    if (v.isInt() || v.isDouble()) return v.asNumber() != 0;
    return false;
}

uno::Reference<frame::XController> controllerOf(const uno::Reference<frame::XModel>& model) {
    if (!model.is()) throw BridgeFailure{reason::kOther, 91, "no workbook is open"};
    return model->getCurrentController();
}

void showWindow(const uno::Reference<frame::XModel>& model, bool visible) {
    const auto window = controllerOf(model)->getFrame()->getContainerWindow();
    window->setVisible(visible);
    if (!visible) return;
    uno::Reference<com::sun::star::awt::XTopWindow> top(window, uno::UNO_QUERY);
    if (top.is()) top->toFront();
}

uno::Reference<sheet::XSpreadsheet> sheetOf(const uno::Reference<frame::XModel>& model,
                                            const json::Value& which) {
    uno::Reference<sheet::XSpreadsheetDocument> doc(model, uno::UNO_QUERY);
    if (!doc.is()) throw BridgeFailure{reason::kNoSheet, 9, "not a spreadsheet"};
    const auto sheets = doc->getSheets();
    try {
        if (which.isInt()) {
            uno::Reference<com::sun::star::container::XIndexAccess> index(sheets,
                                                                          uno::UNO_QUERY_THROW);
            return uno::Reference<sheet::XSpreadsheet>(
                index->getByIndex(static_cast<sal_Int32>(which.asInt() - 1)), uno::UNO_QUERY_THROW);
        }
        return uno::Reference<sheet::XSpreadsheet>(sheets->getByName(fromUtf8(text(which))),
                                                   uno::UNO_QUERY_THROW);
    } catch (const com::sun::star::container::NoSuchElementException&) {
    } catch (const com::sun::star::lang::IndexOutOfBoundsException&) {
    }
    throw BridgeFailure{reason::kNoSheet, 9, text(which)};
}

uno::Reference<table::XCellRange> rangeOf(const uno::Reference<sheet::XSpreadsheet>& sheet,
                                          const std::string& address) {
    try {
        const auto range = sheet->getCellRangeByName(fromUtf8(address));
        if (range.is()) return range;
    } catch (const uno::RuntimeException&) {
    }
    throw BridgeFailure{reason::kOther, err::kApplicationDefined, "Range(" + address + ")"};
}

class Range : public BridgeObject {
  public:
    Range(const uno::Reference<frame::XModel>& model,
          const uno::Reference<table::XCellRange>& range)
        : model_(model), range_(range) {}

    Result get(const std::string& member, const json::Array& args) override {
        const auto cell = range_->getCellByPosition(0, 0);
        if (is(member, "Value")) {
            switch (cell->getType()) {
                case table::CellContentType_EMPTY:
                    return {};
                case table::CellContentType_TEXT:
                    return {json::Value(textOf(cell)), nullptr};
                default:
                    return {json::Value(cell->getValue()), nullptr};
            }
        }
        if (is(member, "Text") || is(member, "FormulaR1C1"))
            return {json::Value(textOf(cell)), nullptr};
        return BridgeObject::get(member, args);
    }

    void put(const std::string& member, const json::Array& args,
             const json::Value& value) override {
        const auto cell = range_->getCellByPosition(0, 0);
        // The text goes in as it stands: a directory must never be taken for a formula.
        if (is(member, "FormulaR1C1") ||
            (is(member, "Value") && !value.isInt() && !value.isDouble())) {
            uno::Reference<com::sun::star::text::XText>(cell, uno::UNO_QUERY_THROW)
                ->setString(fromUtf8(text(value)));
        } else if (is(member, "Value")) {
            cell->setValue(value.asNumber());
        } else {
            BridgeObject::put(member, args, value);
        }
    }

    Result call(const std::string& member, const json::Array& args) override {
        if (!is(member, "Select")) return BridgeObject::call(member, args);
        uno::Reference<com::sun::star::view::XSelectionSupplier> selection(controllerOf(model_),
                                                                           uno::UNO_QUERY_THROW);
        selection->select(uno::Any(range_));
        return {};
    }

  private:
    static std::string textOf(const uno::Reference<table::XCell>& cell) {
        return toUtf8(
            uno::Reference<com::sun::star::text::XText>(cell, uno::UNO_QUERY_THROW)->getString());
    }
    uno::Reference<frame::XModel> model_;
    uno::Reference<table::XCellRange> range_;
};

class Sheet : public BridgeObject {
  public:
    Sheet(const uno::Reference<frame::XModel>& model,
          const uno::Reference<sheet::XSpreadsheet>& sheet)
        : model_(model), sheet_(sheet) {}

    Result get(const std::string& member, const json::Array& args) override {
        if (!is(member, "Range")) return BridgeObject::get(member, args);
        return {{},
                std::make_shared<Range>(model_, rangeOf(sheet_, text(argument(args, 0, member))))};
    }
    Result call(const std::string& member, const json::Array& args) override {
        if (!is(member, "Select")) return BridgeObject::call(member, args);
        uno::Reference<sheet::XSpreadsheetView>(controllerOf(model_), uno::UNO_QUERY_THROW)
            ->setActiveSheet(sheet_);
        return {};
    }

  private:
    uno::Reference<frame::XModel> model_;
    uno::Reference<sheet::XSpreadsheet> sheet_;
};

class Window : public BridgeObject {
  public:
    explicit Window(const uno::Reference<frame::XModel>& model) : model_(model) {}

    void put(const std::string& member, const json::Array& args,
             const json::Value& value) override {
        if (!is(member, "Visible")) return BridgeObject::put(member, args, value);
        showWindow(model_, truth(value));
    }

  private:
    uno::Reference<frame::XModel> model_;
};

std::shared_ptr<BridgeObject> windowItem(const uno::Reference<frame::XModel>& model,
                                         const json::Array& args) {
    // A workbook has one window here.
    if (!args.empty() && !(args[0].isInt() && args[0].asInt() == 1))
        throw BridgeFailure{reason::kOther, 9, "Windows(" + text(args[0]) + ")"};
    return std::make_shared<Window>(model);
}

std::string statusOf(const uno::Reference<frame::XModel>& model) {
    const auto range = rangeOf(sheetOf(model, json::Value(kStatusSheet)), kStatusCell);
    return toUtf8(uno::Reference<com::sun::star::text::XText>(range->getCellByPosition(0, 0),
                                                              uno::UNO_QUERY_THROW)
                      ->getString());
}

void setStatus(const uno::Reference<frame::XModel>& model, const std::string& value) {
    const auto range = rangeOf(sheetOf(model, json::Value(kStatusSheet)), kStatusCell);
    uno::Reference<com::sun::star::text::XText>(range->getCellByPosition(0, 0),
                                                uno::UNO_QUERY_THROW)
        ->setString(fromUtf8(value));
}

// Runs a Basic macro of the workbook and waits for its end. A bare name is looked for in
// module Module1 of the library Standard.
Result runMacro(const uno::Reference<frame::XModel>& model, const std::string& name) {
    if (!model.is()) throw BridgeFailure{reason::kOther, 91, "no workbook is open"};
    const std::string qualified =
        name.find('.') == std::string::npos ? "Standard.Module1." + name : name;
    const std::string uri =
        "vnd.sun.star.script:" + qualified + "?language=Basic&location=document";
    const bool reports = [&] {
        try {
            setStatus(model, "");
            return true;
        } catch (const BridgeFailure&) {
            return false;  // a workbook without the status cell: nothing to read afterwards
        }
    }();
    try {
        uno::Reference<provider::XScriptProviderSupplier> supplier(model, uno::UNO_QUERY_THROW);
        const auto script = supplier->getScriptProvider()->getScript(fromUtf8(uri));
        uno::Sequence<sal_Int16> out_index;
        uno::Sequence<uno::Any> out_params;
        script->invoke({}, out_index, out_params);
    } catch (const provider::ScriptFrameworkErrorException& e) {
        if (e.errorType == provider::ScriptFrameworkErrorType::NO_SUCH_SCRIPT ||
            e.errorType == provider::ScriptFrameworkErrorType::UNKNOWN)
            throw BridgeFailure{reason::kNoMacro, err::kApplicationDefined, name};
        throw BridgeFailure{reason::kMacroFailed, err::kApplicationDefined, toUtf8(e.Message)};
    } catch (const provider::ScriptErrorRaisedException& e) {
        throw BridgeFailure{reason::kMacroFailed, err::kApplicationDefined, toUtf8(e.Message)};
    } catch (const com::sun::star::reflection::InvocationTargetException& e) {
        throw BridgeFailure{reason::kMacroFailed, err::kApplicationDefined, toUtf8(e.Message)};
    }
    if (!reports) return {};
    const std::string status = statusOf(model);
    if (status.starts_with("OK")) return {json::Value(status), nullptr};
    const std::string told =
        status.substr(std::min<std::size_t>(status.find_first_not_of(' ', 2), status.size()));
    if (status.starts_with("NG"))
        throw BridgeFailure{reason::kMacroFailed, err::kApplicationDefined, told};
    if (status.starts_with("NA"))
        throw BridgeFailure{reason::kNothingToAnalyse, err::kApplicationDefined, told};
    throw BridgeFailure{reason::kMacroFailed, err::kApplicationDefined,
                        "the macro ended without reporting its outcome"};
}

class Application : public BridgeObject {
  public:
    explicit Application(Session& session) : s_(session) {}

    Result get(const std::string& member, const json::Array& args) override {
        if (is(member, "Sheets"))
            return {
                {},
                std::make_shared<Sheet>(s_.active, sheetOf(s_.active, argument(args, 0, member)))};
        if (is(member, "Range"))
            return {{},
                    std::make_shared<Range>(
                        s_.active, rangeOf(activeSheet(), text(argument(args, 0, member))))};
        if (is(member, "ActiveCell")) return {{}, std::make_shared<Range>(s_.active, activeCell())};
        if (is(member, "Windows")) return {{}, windowItem(s_.active, args)};
        if (is(member, "ActiveWorkbook")) return {{}, makeWorkbook(s_, s_.active)};
        return BridgeObject::get(member, args);
    }
    void put(const std::string& member, const json::Array& args,
             const json::Value& value) override {
        if (!is(member, "Visible")) return BridgeObject::put(member, args, value);
        // The application's windows are its workbooks' windows.
        if (s_.active.is()) showWindow(s_.active, truth(value));
    }
    Result call(const std::string& member, const json::Array& args) override {
        if (is(member, "Quit")) {
            s_.active.clear();
            s_.office.quit();
            return {};
        }
        if (!is(member, "Run")) return BridgeObject::call(member, args);
        return runMacro(s_.active, text(argument(args, 0, member)));
    }

  private:
    uno::Reference<sheet::XSpreadsheet> activeSheet() {
        uno::Reference<sheet::XSpreadsheetView> view(controllerOf(s_.active), uno::UNO_QUERY_THROW);
        return view->getActiveSheet();
    }
    // The active cell is the first cell of the selection.
    uno::Reference<table::XCellRange> activeCell() {
        uno::Reference<com::sun::star::view::XSelectionSupplier> selection(controllerOf(s_.active),
                                                                           uno::UNO_QUERY_THROW);
        uno::Reference<table::XCellRange> range(selection->getSelection(), uno::UNO_QUERY);
        if (!range.is()) throw BridgeFailure{reason::kOther, 91, "no cell is selected"};
        return range->getCellRangeByPosition(0, 0, 0, 0);
    }
    Session& s_;
};

class Workbook : public BridgeObject {
  public:
    Workbook(Session& session, const uno::Reference<frame::XModel>& model)
        : s_(session), model_(model) {}

    Result get(const std::string& member, const json::Array& args) override {
        if (is(member, "Application") || is(member, "Parent")) {
            s_.active = model_;
            return {{}, makeApplication(s_)};
        }
        if (is(member, "Sheets"))
            return {{},
                    std::make_shared<Sheet>(model_, sheetOf(model_, argument(args, 0, member)))};
        if (is(member, "Windows")) return {{}, windowItem(model_, args)};
        if (is(member, "FullName")) return {json::Value(toUtf8(model_->getURL())), nullptr};
        return BridgeObject::get(member, args);
    }

  private:
    Session& s_;
    uno::Reference<frame::XModel> model_;
};

}  // namespace

Result BridgeObject::get(const std::string& member, const json::Array&) {
    noMember(member);
}
void BridgeObject::put(const std::string& member, const json::Array&, const json::Value&) {
    noMember(member);
}
Result BridgeObject::call(const std::string& member, const json::Array&) {
    noMember(member);
}

std::shared_ptr<BridgeObject> makeApplication(Session& session) {
    return std::make_shared<Application>(session);
}

std::shared_ptr<BridgeObject> makeWorkbook(Session& session,
                                           const uno::Reference<frame::XModel>& model) {
    return std::make_shared<Workbook>(session, model);
}

}  // namespace rl00::bridge
