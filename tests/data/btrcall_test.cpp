#include "data/btrcall.h"

#include <cstring>
#include <string>

#include "data_support.h"

namespace data_test {
namespace {

class BtrcallTest : public DataTest {};

// The engine counts lengths unsigned and 32-bit; the binding passes the suite's signed length in
// and the returned length out.
TEST_F(BtrcallTest, DataLengthGoesInAndComesBack) {
  const std::string spec = MakeSpec(20, {{{1, 4, KeyBinary}}});
  ASSERT_EQ(CreateDataFile(Native("f.dat"), spec), 0);
  unsigned char block[129] = {};
  std::string name = Native("f.dat");
  std::string owner("1234", 5);
  std::int32_t length = 5;
  ASSERT_EQ(BTRCALL(0, block, owner.data(), &length, name.data(),
                    static_cast<unsigned char>(name.size()), 0),
            0);
  unsigned char data[1536] = {};
  unsigned char key[256] = {};
  length = 1536;
  EXPECT_EQ(BTRCALL(15, block, data, &length, key, 255, 0), 0);
  EXPECT_EQ(length, static_cast<std::int32_t>(spec.size()));
  EXPECT_EQ(std::memcmp(data, spec.data(), 16), 0);
  length = -5;  // no buffer at all
  EXPECT_EQ(BTRCALL(15, block, data, &length, key, 255, 0), 22);
  EXPECT_GE(length, 0);
  EXPECT_EQ(BTRCALL(15, block, data, nullptr, key, 255, 0), 22);
}

}  // namespace
}  // namespace data_test
