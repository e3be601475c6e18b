#include "data/btrcall.h"

#include <limits>

#include "recman/recman.h"

short BTRCALL(unsigned short operation, void* position_block, void* data_buffer,
              std::int32_t* data_length, void* key_buffer, unsigned char key_length,
              signed char key_number) {
  // The engine counts the data length unsigned; a negative length offers no buffer at all.
  std::uint32_t length = 0;
  if (data_length != nullptr && *data_length > 0) length = static_cast<std::uint32_t>(*data_length);
  const short status = RecordManagerCall(operation, position_block, data_buffer,
                                         data_length != nullptr ? &length : nullptr, key_buffer,
                                         key_length, key_number);
  if (data_length != nullptr) {
    constexpr auto kMax = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    *data_length = static_cast<std::int32_t>(length > kMax ? kMax : length);
  }
  return status;
}
