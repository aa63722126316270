// The host's service provider and its traffic interface. Pure virtual tables
// whose operations sit at the positions the host defines; positions the
// module never calls are placeholders. No virtual destructor: it would take
// table positions.
#pragma once

#include "host/HostTypes.h"

namespace host {

using ObjectId = uint32_t;

class ITrafficInfo;

class ServiceProvider {
public:
    virtual int32_t HOST_API placeholder0() = 0;
    virtual int32_t HOST_API placeholder1() = 0;
    // Position 2: the named interface, or null.
    virtual void* HOST_API getInterface(const char* name) = 0;

protected:
    ~ServiceProvider() = default;
};

class ITrafficInfo {
public:
    virtual int32_t HOST_API placeholder0() = 0;
    virtual int32_t HOST_API placeholder1() = 0;
    virtual int32_t HOST_API placeholder2() = 0;
    virtual int32_t HOST_API placeholder3() = 0;
    virtual int32_t HOST_API placeholder4() = 0;
    virtual int32_t HOST_API placeholder5() = 0;
    virtual int32_t HOST_API placeholder6() = 0;
    virtual int32_t HOST_API placeholder7() = 0;
    // Position 8.
    virtual int32_t HOST_API variableId(const char* name) = 0;
    // Position 9.
    virtual int32_t HOST_API unitId(const char* name) = 0;
    // Position 10: at most maxCount ids nearest first; returns how many.
    virtual uint32_t HOST_API objectsInRadius(double radiusMetres, int32_t maxCount, ObjectId* ids) = 0;
    virtual int32_t HOST_API placeholder11() = 0;
    // Position 12.
    virtual int32_t HOST_API numberValue(ObjectId object, int32_t variable, int32_t unit, double* value,
                                         int32_t reserved) = 0;
    // Position 13: a zero-terminated text that fits bufferSize bytes.
    virtual int32_t HOST_API stringValue(ObjectId object, int32_t variable, char* buffer, int32_t bufferSize,
                                         int32_t reserved) = 0;
    virtual int32_t HOST_API placeholder14() = 0;
    // Position 15: non-zero in limited mode.
    virtual int32_t HOST_API limitedMode() = 0;
    // Position 16.
    virtual const char* HOST_API objectLabel(ObjectId object) = 0;

protected:
    ~ITrafficInfo() = default;
};

constexpr const char* kTrafficInfoName = "ITrafficInfo";

}  // namespace host
