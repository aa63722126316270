// Calls into the host's panel-function table. Every call loads the table's
// address afresh from ImportTable; a missing table or entry makes the call a
// no-op returning zero rather than a jump through null.
#pragma once

#include "host/PanelServices.h"
#include "host/TrafficInfo.h"

namespace quillon {

// Asks the host to refresh the record and returns its value.
double lookupModuleVariable(host::ModuleVariableRecord& record);

int32_t registerNamedVariable(const char* name);
double namedVariableValue(int32_t id);
void setNamedVariableValue(int32_t id, double value);
host::ServiceProvider* findHostService(const char* name);

int32_t forwardElementList(host::PanelSlot slot, host::ImageElement* element);
int32_t forwardElementList(host::PanelSlot slot, host::ImageElement* element, uintptr_t value);

// A module-variable record with its token preset, one per use site.
inline host::ModuleVariableRecord moduleVariable(int32_t token) {
    host::ModuleVariableRecord record{};
    record.token = token;
    return record;
}

}  // namespace quillon
