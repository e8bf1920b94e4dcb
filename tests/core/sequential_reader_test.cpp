#include "platform/sequential_reader.h"

#include <gtest/gtest.h>

#include <random>

#include "TestUtil.h"

namespace {

TEST(SequentialReader, HandsOutTheFileInOrderWithOrWithoutAHelper) {
  testutil::TempDir dir;
  constexpr std::size_t kPiece = 4096;
  std::mt19937 gen(5);
  std::string data(10 * kPiece + 13, '\0');
  for (char& c : data) c = static_cast<char>(gen());
  testutil::WriteBytes(dir / "file", data);

  struct Case {
    std::size_t plainPieces, aheadPieces;
    bool readsAhead;
  };
  for (const Case c : {Case{1, 0, false}, Case{0, 1, true}, Case{0, 2, true}, Case{3, 2, true}, Case{11, 2, false}}) {
    SCOPED_TRACE(testing::Message() << "plain " << c.plainPieces << ", ahead " << c.aheadPieces);
    platform::File file = platform::File::Open(dir / "file", platform::Access::Read, platform::Share::Read,
                                               platform::Disposition::OpenExisting);
    platform::SequentialReader reader(file, kPiece, c.plainPieces, c.aheadPieces);
    std::string got;
    std::vector<std::size_t> sizes;
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
    std::string error;
    do {
      ASSERT_TRUE(reader.Next(bytes, size, error)) << error;
      got.append(reinterpret_cast<const char*>(bytes), size);
      sizes.push_back(size);
    } while (size > 0 && sizes.size() < 20);
    EXPECT_EQ(got, data);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{kPiece, kPiece, kPiece, kPiece, kPiece, kPiece, kPiece, kPiece,
                                               kPiece, kPiece, 13, 0}));
    EXPECT_TRUE(reader.Next(bytes, size, error));
    EXPECT_EQ(size, 0u) << "nothing after the end";
    EXPECT_EQ(reader.ReadsAhead(), c.readsAhead);

    // Left after one piece, with the helper waiting for room: it ends.
    platform::File again = platform::File::Open(dir / "file", platform::Access::Read, platform::Share::Read,
                                                platform::Disposition::OpenExisting);
    platform::SequentialReader early(again, kPiece, c.plainPieces, c.aheadPieces);
    ASSERT_TRUE(early.Next(bytes, size, error));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), size), data.substr(0, kPiece));
  }
}

}  // namespace
