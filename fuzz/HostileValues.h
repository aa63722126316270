// Values a misbehaving host might hand over, drawn from the fuzzer's bytes:
// numbers (NaN, infinities, huge, negative, denormal, or anything), and
// texts (empty, overlong, unterminated, high bytes).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

namespace quillon::fuzzing {

// Any double, with the awkward ones made likely. Plain values fall in
// [low, high], so that the fuzzer also reaches pictures with targets in view.
double hostileNumber(FuzzedDataProvider& data, double low, double high);

// Writes a text of at most capacity bytes into buffer. Sometimes it fills the
// whole buffer with no terminator; sometimes it writes nothing at all.
void hostileText(FuzzedDataProvider& data, char* buffer, int32_t capacity);

}  // namespace quillon::fuzzing
