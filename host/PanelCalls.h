// The host's panel functions as the module's pieces call them: module
// variables, named variables and host services. Declarations only: the
// module builds the one object from the table the host hands it and passes
// it to what needs it (traffic list, gauges, views), so that nothing below
// the module's top knows where the table lives.
#pragma once

#include <cstdint>

#include "host/PanelServices.h"
#include "host/TrafficInfo.h"

namespace quillon {

class PanelCalls {
public:
    // Asks the host to refresh the record and returns its value.
    virtual double lookupModuleVariable(host::ModuleVariableRecord& record) const = 0;
    virtual int32_t registerNamedVariable(const char* name) const = 0;
    virtual double namedVariableValue(int32_t id) const = 0;
    virtual void setNamedVariableValue(int32_t id, double value) const = 0;
    virtual host::ServiceProvider* findService(const char* name) const = 0;

protected:
    ~PanelCalls() = default;
};

// A module-variable record with its token preset.
inline host::ModuleVariableRecord moduleVariable(int32_t token) {
    host::ModuleVariableRecord record{};
    record.token = token;
    return record;
}

}  // namespace quillon
