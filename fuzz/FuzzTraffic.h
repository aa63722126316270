// A host traffic interface whose every answer comes from the fuzzer: counts
// (none, more than asked, more than written, more than the module has room
// for), object ids, numbers, texts, labels and the limited-mode switch, which
// may flip from one call to the next.
//
// It keeps the host's side of the contract that no module can check: it
// writes no more ids than the array passed has room for (556), no text past
// the buffer size given, and a label is readable for as long as the module
// may read it (its first 15 characters, or to its terminator).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>

#include "host/TrafficInfo.h"

namespace quillon::fuzzing {

class FuzzTraffic final : public host::ITrafficInfo {
public:
    static constexpr uint32_t kIdRoom = 556;

    // The bytes to answer from; null makes every answer empty.
    void use(FuzzedDataProvider* data) {
        data_ = data;
        namesAsked_ = 0;
    }
    // Latitude and longitude of plain answers fall within this many degrees
    // of the origin (where the own aircraft sits unless the input moves it).
    void setSpread(double degrees) { spread_ = degrees; }
    // 0: always full mode, 1: always limited, 2: any answer, changing from
    // one call to the next.
    void setModePolicy(int policy) { modePolicy_ = policy; }
    // Aircraft that move a little from one refresh to the next around a
    // place of their own, so that the advisories measure rates from them,
    // under identifiers that other aircraft take over or share.
    void setMotion(bool on) { motion_ = on; }

    int32_t HOST_API placeholder0() override { return 0; }
    int32_t HOST_API placeholder1() override { return 0; }
    int32_t HOST_API placeholder2() override { return 0; }
    int32_t HOST_API placeholder3() override { return 0; }
    int32_t HOST_API placeholder4() override { return 0; }
    int32_t HOST_API placeholder5() override { return 0; }
    int32_t HOST_API placeholder6() override { return 0; }
    int32_t HOST_API placeholder7() override { return 0; }
    int32_t HOST_API variableId(const char* name) override;
    int32_t HOST_API unitId(const char* name) override;
    uint32_t HOST_API objectsInRadius(double radiusMetres, int32_t maxCount, host::ObjectId* ids) override;
    int32_t HOST_API placeholder11() override { return 0; }
    int32_t HOST_API numberValue(host::ObjectId object, int32_t variable, int32_t unit, double* value,
                                 int32_t reserved) override;
    int32_t HOST_API stringValue(host::ObjectId object, int32_t variable, char* buffer, int32_t bufferSize,
                                 int32_t reserved) override;
    int32_t HOST_API placeholder14() override { return 0; }
    int32_t HOST_API limitedMode() override;
    const char* HOST_API objectLabel(host::ObjectId object) override;

private:
    FuzzedDataProvider* data_ = nullptr;
    double spread_ = 1.0;
    int modePolicy_ = 2;
    bool motion_ = false;
    int32_t namesAsked_ = 0;  // variable names asked for during this input
    // The last label handed out, in storage of exactly its length, so that a
    // read past its end is caught.
    std::unique_ptr<char[]> label_;
};

}  // namespace quillon::fuzzing
