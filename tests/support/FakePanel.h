// A fake host panel-function table for unit tests. While a FakePanel lives,
// the module's ImportTable points at its table; the destructor puts the old
// pointer back. It keeps module variables by token, named variables by name
// (case-insensitive, stable ids, unset reads 0), offers a service provider
// whose interface operation hands out a chosen ITrafficInfo, records the
// element pointers the element-list entries receive, and logs every call.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/PanelServices.h"
#include "host/TrafficInfo.h"

namespace quillon::testing {

// One call into the fake table, in the order the module made it.
struct PanelCall {
    size_t slot = 0;               // panel slot, or FakePanel::kGetInterfaceCall
    int32_t token = 0;             // module-variable lookup
    std::string name;              // register, find service, getInterface
    int32_t id = 0;                // named-variable get / set
    double value = 0.0;            // named-variable set
    host::ImageElement* element = nullptr;  // element-list entries
    uintptr_t extra = 0;           // install / generate value
};

class FakePanel {
public:
    // Pseudo slot under which the provider's getInterface calls are logged.
    static constexpr size_t kGetInterfaceCall = 1000;
    // First id handed out by register; later names get the following ids.
    static constexpr int32_t kFirstNamedVariableId = 100;

    FakePanel();
    ~FakePanel();
    FakePanel(const FakePanel&) = delete;
    FakePanel& operator=(const FakePanel&) = delete;

    // The table itself, e.g. to clear a slot and see the module cope.
    host::HostPanelServices& table() { return table_; }
    // The host takes its table's address out of the module's ImportTable,
    // or writes it back, as a broken host might.
    void withdrawTable();
    void restoreTable();
    bool tableWithdrawn() const;

    // Module variables by token; a token never set reads 0.
    void setModuleVariable(int32_t token, double value) { moduleVariables_[token] = value; }
    double moduleVariable(int32_t token) const;
    void setClock(double value) { setModuleVariable(host::kVarClock, value); }

    // Named variables as another gauge of the panel would see them.
    int32_t registerName(const std::string& name);  // same as the host entry, not logged
    bool isRegistered(const std::string& name) const;
    int32_t namedVariableId(const std::string& name) const;  // 0 if unregistered
    double namedVariable(const std::string& name) const;     // 0 if unset
    void setNamedVariable(const std::string& name, double value);  // registers if needed
    bool isSet(const std::string& name) const;

    // Find-service: by default there is no "ITrafficInfo" service. Offering
    // one makes find-service return a provider whose getInterface returns
    // the given pointer (which may be null).
    void offerTrafficInfo(host::ITrafficInfo* trafficInfo);
    void withdrawService();
    host::ServiceProvider* provider();

    // What the element-list entries return.
    void setElementListResult(int32_t result) { elementListResult_ = result; }

    const std::vector<PanelCall>& calls() const { return calls_; }
    std::vector<PanelCall> callsTo(size_t slot) const;
    size_t callCount(size_t slot) const;
    // Tokens of the module-variable lookups, in order.
    std::vector<int32_t> lookedUpTokens() const;
    void clearCalls() { calls_.clear(); }

    // The panel that is installed now (the innermost live one), or null.
    static FakePanel* active();

    // Used by the table's entries.
    void log(PanelCall call) { calls_.push_back(std::move(call)); }
    int32_t elementListResult() const { return elementListResult_; }
    host::ServiceProvider* findService(const std::string& name);
    double namedVariableById(int32_t id) const;
    void setNamedVariableById(int32_t id, double value);

private:
    class Provider;

    host::HostPanelServices table_{};
    void* previousTable_ = nullptr;
    FakePanel* previousActive_ = nullptr;

    std::map<int32_t, double> moduleVariables_;
    std::map<std::string, int32_t> namedIds_;  // key: upper-cased name
    std::map<int32_t, double> namedValues_;
    int32_t nextNamedId_ = kFirstNamedVariableId;

    bool serviceOffered_ = false;
    host::ITrafficInfo* trafficInfo_ = nullptr;
    Provider* provider_ = nullptr;

    int32_t elementListResult_ = 1;
    std::vector<PanelCall> calls_;
};

}  // namespace quillon::testing
