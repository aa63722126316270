#include "tests/support/FakePanel.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "host/ExportedRecords.h"

namespace quillon::testing {
namespace {

FakePanel* gActive = nullptr;

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

FakePanel& panel() { return *FakePanel::active(); }

template <size_t Slot>
int32_t HOST_API elementEntry(host::ImageElement* element) {
    PanelCall call;
    call.slot = Slot;
    call.element = element;
    panel().log(call);
    return panel().elementListResult();
}

template <size_t Slot>
int32_t HOST_API elementValueEntry(host::ImageElement* element, uintptr_t value) {
    PanelCall call;
    call.slot = Slot;
    call.element = element;
    call.extra = value;
    panel().log(call);
    return panel().elementListResult();
}

void HOST_API entryLookupModuleVariable(host::ModuleVariableRecord* record) {
    PanelCall call;
    call.slot = host::kSlotLookupModuleVariable;
    call.token = record->token;
    panel().log(call);
    record->value = panel().moduleVariable(record->token);
}

int32_t HOST_API entryRegisterNamedVariable(const char* name) {
    PanelCall call;
    call.slot = host::kSlotRegisterNamedVariable;
    call.name = name != nullptr ? name : "";
    panel().log(call);
    return panel().registerName(call.name);
}

double HOST_API entryGetNamedVariable(int32_t id) {
    PanelCall call;
    call.slot = host::kSlotGetNamedVariable;
    call.id = id;
    panel().log(call);
    return panel().namedVariableById(id);
}

void HOST_API entrySetNamedVariable(int32_t id, double value) {
    PanelCall call;
    call.slot = host::kSlotSetNamedVariable;
    call.id = id;
    call.value = value;
    panel().log(call);
    panel().setNamedVariableById(id, value);
}

host::ServiceProvider* HOST_API entryFindService(const char* name) {
    PanelCall call;
    call.slot = host::kSlotFindService;
    call.name = name != nullptr ? name : "";
    panel().log(call);
    return panel().findService(call.name);
}

template <typename Entry>
void* slotValue(Entry entry) {
    return reinterpret_cast<void*>(entry);
}

}  // namespace

// The host's provider: positions 0 and 1 are never called by the module.
class FakePanel::Provider final : public host::ServiceProvider {
public:
    explicit Provider(FakePanel& owner) : owner_(owner) {}
    ~Provider() = default;

    int32_t HOST_API placeholder0() override { return 0; }
    int32_t HOST_API placeholder1() override { return 0; }
    void* HOST_API getInterface(const char* name) override {
        PanelCall call;
        call.slot = kGetInterfaceCall;
        call.name = name != nullptr ? name : "";
        owner_.log(call);
        if (call.name != host::kTrafficInfoName) return nullptr;
        return owner_.trafficInfo_;
    }

private:
    FakePanel& owner_;
};

FakePanel::FakePanel() : provider_(new Provider(*this)) {
    table_.slots[host::kSlotElementQuery] = slotValue(&elementEntry<host::kSlotElementQuery>);
    table_.slots[host::kSlotElementInstall] = slotValue(&elementValueEntry<host::kSlotElementInstall>);
    table_.slots[host::kSlotElementInitialize] = slotValue(&elementEntry<host::kSlotElementInitialize>);
    table_.slots[host::kSlotElementUpdate] = slotValue(&elementEntry<host::kSlotElementUpdate>);
    table_.slots[host::kSlotElementGenerate] = slotValue(&elementValueEntry<host::kSlotElementGenerate>);
    table_.slots[host::kSlotElementDraw] = slotValue(&elementEntry<host::kSlotElementDraw>);
    table_.slots[host::kSlotElementKill] = slotValue(&elementEntry<host::kSlotElementKill>);
    table_.slots[host::kSlotLookupModuleVariable] = slotValue(&entryLookupModuleVariable);
    table_.slots[host::kSlotRegisterNamedVariable] = slotValue(&entryRegisterNamedVariable);
    table_.slots[host::kSlotGetNamedVariable] = slotValue(&entryGetNamedVariable);
    table_.slots[host::kSlotSetNamedVariable] = slotValue(&entrySetNamedVariable);
    table_.slots[host::kSlotFindService] = slotValue(&entryFindService);

    previousActive_ = gActive;
    gActive = this;
    previousTable_ = ImportTable.panels.pointer;
    ImportTable.panels.pointer = &table_;
}

void FakePanel::withdrawTable() { ImportTable.panels.pointer = nullptr; }

void FakePanel::restoreTable() { ImportTable.panels.pointer = &table_; }

bool FakePanel::tableWithdrawn() const { return ImportTable.panels.pointer != &table_; }

FakePanel::~FakePanel() {
    ImportTable.panels.pointer = previousTable_;
    gActive = previousActive_;
    delete provider_;
}

FakePanel* FakePanel::active() { return gActive; }

double FakePanel::moduleVariable(int32_t token) const {
    auto found = moduleVariables_.find(token);
    return found != moduleVariables_.end() ? found->second : 0.0;
}

int32_t FakePanel::registerName(const std::string& name) {
    auto key = upperCase(name);
    auto found = namedIds_.find(key);
    if (found != namedIds_.end()) return found->second;
    int32_t id = nextNamedId_++;
    namedIds_.emplace(key, id);
    return id;
}

bool FakePanel::isRegistered(const std::string& name) const { return namedIds_.count(upperCase(name)) != 0; }

int32_t FakePanel::namedVariableId(const std::string& name) const {
    auto found = namedIds_.find(upperCase(name));
    return found != namedIds_.end() ? found->second : 0;
}

double FakePanel::namedVariable(const std::string& name) const {
    return isRegistered(name) ? namedVariableById(namedVariableId(name)) : 0.0;
}

void FakePanel::setNamedVariable(const std::string& name, double value) {
    setNamedVariableById(registerName(name), value);
}

bool FakePanel::isSet(const std::string& name) const {
    return isRegistered(name) && namedValues_.count(namedVariableId(name)) != 0;
}

double FakePanel::namedVariableById(int32_t id) const {
    auto found = namedValues_.find(id);
    return found != namedValues_.end() ? found->second : 0.0;
}

void FakePanel::setNamedVariableById(int32_t id, double value) { namedValues_[id] = value; }

void FakePanel::offerTrafficInfo(host::ITrafficInfo* trafficInfo) {
    serviceOffered_ = true;
    trafficInfo_ = trafficInfo;
}

void FakePanel::withdrawService() {
    serviceOffered_ = false;
    trafficInfo_ = nullptr;
}

host::ServiceProvider* FakePanel::provider() { return provider_; }

host::ServiceProvider* FakePanel::findService(const std::string& name) {
    if (!serviceOffered_ || name != host::kTrafficInfoName) return nullptr;
    return provider_;
}

std::vector<PanelCall> FakePanel::callsTo(size_t slot) const {
    std::vector<PanelCall> selected;
    for (const auto& call : calls_)
        if (call.slot == slot) selected.push_back(call);
    return selected;
}

size_t FakePanel::callCount(size_t slot) const {
    return static_cast<size_t>(
        std::count_if(calls_.begin(), calls_.end(), [slot](const PanelCall& call) { return call.slot == slot; }));
}

std::vector<int32_t> FakePanel::lookedUpTokens() const {
    std::vector<int32_t> tokens;
    for (const auto& call : calls_)
        if (call.slot == host::kSlotLookupModuleVariable) tokens.push_back(call.token);
    return tokens;
}

}  // namespace quillon::testing
