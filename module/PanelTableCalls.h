// The panel calls over the host's panel-function table. The table's address
// is read afresh from where the host wrote it on every call; a missing table
// or entry makes the call a no-op returning zero rather than a jump through
// null.
#pragma once

#include "host/PanelCalls.h"

namespace quillon {

class PanelTableCalls final : public PanelCalls {
public:
    // tableAddress: where the host writes its table's address (ImportTable
    // entry 1 for the module; a test's own word for a test).
    constexpr explicit PanelTableCalls(void* const* tableAddress) : tableAddress_(tableAddress) {}

    double lookupModuleVariable(host::ModuleVariableRecord& record) const override;
    int32_t registerNamedVariable(const char* name) const override;
    double namedVariableValue(int32_t id) const override;
    void setNamedVariableValue(int32_t id, double value) const override;
    host::ServiceProvider* findService(const char* name) const override;

    int32_t forwardElementList(host::PanelSlot slot, host::ImageElement* element) const;
    int32_t forwardElementList(host::PanelSlot slot, host::ImageElement* element, uintptr_t value) const;

private:
    void* entry(size_t slot) const;

    void* const* tableAddress_;
};

// The module's panel calls, over ImportTable.
const PanelTableCalls& modulePanelCalls();

}  // namespace quillon
