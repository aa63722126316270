// The host's panel-function table as the module sees it: plain function
// pointers by slot. The entries carry no context, so they forward to the
// one handler (the loaded host) registered process-wide.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/PanelServices.h"

namespace sim {

class PanelHandler {
public:
    virtual int32_t elementListEntry(int32_t slot, host::ImageElement* element, uintptr_t value) = 0;
    virtual void lookupModuleVariable(host::ModuleVariableRecord* record) = 0;
    virtual int32_t registerNamedVariable(const char* name) = 0;
    virtual double getNamedVariable(int32_t id) = 0;
    virtual void setNamedVariable(int32_t id, double value) = 0;
    virtual host::ServiceProvider* findService(const char* name) = 0;
    // A slot the host does not serve; answers 0.
    virtual void unknownSlot(int32_t slot) = 0;

protected:
    ~PanelHandler() = default;
};

class PanelTable {
public:
    // Claims the process-wide dispatch; throws std::logic_error while
    // another table holds it.
    explicit PanelTable(PanelHandler& handler);
    ~PanelTable();
    PanelTable(const PanelTable&) = delete;
    PanelTable& operator=(const PanelTable&) = delete;

    host::HostPanelServices* table() { return &table_; }

private:
    host::HostPanelServices table_{};
};

}  // namespace sim
