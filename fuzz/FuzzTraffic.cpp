#include "fuzz/FuzzTraffic.h"

#include <cstdio>
#include <cstring>

#include "fuzz/HostileValues.h"

namespace quillon::fuzzing {

int32_t FuzzTraffic::variableId(const char*) {
    // Mostly the place in the order the module asks (latitude 0, longitude 1,
    // then the others, gauge after gauge); sometimes any id at all.
    const int32_t place = namesAsked_++ % 12;
    if (data_ != nullptr && data_->ConsumeIntegralInRange<int>(0, 7) == 0) return data_->ConsumeIntegral<int32_t>();
    return place;
}

int32_t FuzzTraffic::unitId(const char*) {
    if (data_ == nullptr) return 0;
    return data_->ConsumeIntegral<int32_t>();
}

uint32_t FuzzTraffic::objectsInRadius(double, int32_t, host::ObjectId* ids) {
    if (data_ == nullptr) return 0;
    // Mostly a handful of aircraft; sometimes as many as the array holds.
    const uint32_t written = data_->ConsumeIntegralInRange<int>(0, 7) == 0
                                 ? data_->ConsumeIntegralInRange<uint32_t>(0, kIdRoom)
                                 : data_->ConsumeIntegralInRange<uint32_t>(0, 12);
    for (uint32_t i = 0; i < written; ++i) ids[i] = data_->ConsumeIntegral<uint8_t>();
    switch (data_->ConsumeIntegralInRange<int>(0, 5)) {
        case 0: return data_->ConsumeIntegral<uint32_t>();  // any count, whatever was written
        case 1: return written + data_->ConsumeIntegralInRange<uint32_t>(0, 600);
        default: return written;
    }
}

int32_t FuzzTraffic::numberValue(host::ObjectId object, int32_t variable, int32_t, double* value, int32_t) {
    if (data_ == nullptr || data_->ConsumeIntegralInRange<int>(0, 15) == 0) return 0;  // not written
    const bool isPosition = variable == 0 || variable == 1;  // latitude, longitude when ids are tame
    if (motion_ && isPosition && data_->ConsumeIntegralInRange<int>(0, 7) != 0) {
        // Near the own aircraft (at 0.1, 0.1), a step of up to 0.1 NM from its place.
        *value = 0.1 + 0.005 * static_cast<double>(object % 8) + data_->ConsumeFloatingPointInRange<double>(-0.002, 0.002);
        return 1;
    }
    if (motion_ && data_->ConsumeIntegralInRange<int>(0, 7) == 0) {
        *value = data_->ConsumeBool() ? 1e30 : -1e30;  // speeds and climbs no aircraft makes
        return 1;
    }
    *value = isPosition ? hostileNumber(*data_, -spread_, spread_) : hostileNumber(*data_, -60000.0, 60000.0);
    return 1;
}

int32_t FuzzTraffic::stringValue(host::ObjectId object, int32_t, char* buffer, int32_t bufferSize, int32_t) {
    if (data_ == nullptr) return 0;
    // Often an identifier that stays with the object from one refresh to the
    // next, so that a selection can be found again and described.
    if (bufferSize > 8 && data_->ConsumeBool()) {
        // In motion, often one of four identifiers: shared in one refresh, taken over in the next.
        const unsigned id = motion_ && data_->ConsumeBool() ? object % 4 : object;
        std::snprintf(buffer, static_cast<size_t>(bufferSize), "Q%u", id);
        return 1;
    }
    hostileText(*data_, buffer, bufferSize);
    return 1;
}

int32_t FuzzTraffic::limitedMode() {
    if (data_ == nullptr || modePolicy_ == 0) return 0;
    if (modePolicy_ == 1) return 1;
    return data_->ConsumeIntegralInRange<int>(0, 3) == 0 ? data_->ConsumeIntegral<int32_t>() : 0;
}

const char* FuzzTraffic::objectLabel(host::ObjectId) {
    if (data_ == nullptr) return nullptr;
    switch (data_->ConsumeIntegralInRange<int>(0, 4)) {
        case 0: return nullptr;
        case 1: {
            // Unterminated, but at least as long as the module may read.
            const size_t length = data_->ConsumeIntegralInRange<size_t>(15, 40);
            label_.reset(new char[length]);
            for (size_t i = 0; i < length; ++i) label_[i] = static_cast<char>(data_->ConsumeIntegralInRange<int>(1, 255));
            return label_.get();
        }
        default: {
            const size_t longest = data_->ConsumeBool() ? 2000 : 20;
            const std::string text = data_->ConsumeRandomLengthString(longest);
            label_.reset(new char[text.size() + 1]);
            std::memcpy(label_.get(), text.c_str(), text.size() + 1);
            return label_.get();
        }
    }
}

}  // namespace quillon::fuzzing
