#pragma once
// The binding onto the record manager: the one call through which the data layer reaches every
// data file. Operation, 128-byte position block, data buffer, data length (32-bit, in: the
// buffer's size, out: the bytes returned), key buffer, key length, key number; the result is the
// record manager's status, 0 for success.
#include <cstdint>

short BTRCALL(unsigned short operation, void* position_block, void* data_buffer,
              std::int32_t* data_length, void* key_buffer, unsigned char key_length,
              signed char key_number);
