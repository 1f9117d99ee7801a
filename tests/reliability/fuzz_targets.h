#pragma once
// Fuzz targets: what the store does with any query request and any record text. Each returns
// normally when the input was handled as it should be (a result, or a ComponentError of the
// expected kind) and aborts the process otherwise, so that libFuzzer and the seeded random test
// both see a fault as a crash.
#include <cstddef>
#include <cstdint>

namespace talvero::reliability {

// The input is a query sentence (or, past a first byte 0xFE, a whole request): parsing it and
// running it against a small store raises nothing but kErrBadQuery or kErrNoSuchFile, and a
// result holds as many rows as its count says.
void FuzzQuery(const uint8_t* data, size_t size);

// The input is the whole text of a record: a dynamic array gives it back unchanged and every
// attribute and value read from it joins back into it; the store keeps it byte for byte and a
// query reads its attributes without failing.
void FuzzRecordText(const uint8_t* data, size_t size);

}  // namespace talvero::reliability
