#include "platform/shared_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <random>

#include "TestUtil.h"

namespace {

std::uint32_t Sum(const unsigned char* data, std::size_t size) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < size; ++i) sum = sum * 31 + data[i];
  return sum;
}

TEST(SharedReader, HandsOutTheFileInOrderWithTheHelpersPiecesDigested) {
  testutil::TempDir dir;
  constexpr std::size_t kPiece = 4096;
  std::mt19937 gen(6);
  for (const std::size_t length : {std::size_t{0}, 3 * kPiece, 10 * kPiece + 13}) {
    for (const std::size_t plainPieces : {0u, 2u}) {
      SCOPED_TRACE(testing::Message() << "length " << length << ", plain " << plainPieces);
      std::string data(length, '\0');
      for (char& c : data) c = static_cast<char>(gen());
      testutil::WriteBytes(dir / "file", data);
      platform::File file = platform::File::Open(dir / "file", platform::Access::Read, platform::Share::Read,
                                                 platform::Disposition::OpenExisting);
      platform::SharedReader reader(file, kPiece, plainPieces, 2, &Sum);
      std::string got;
      std::size_t digested = 0;
      platform::SharedReader::Piece piece;
      std::string error;
      bool waited = false;
      do {
        ASSERT_TRUE(reader.Next(piece, error)) << error;
        // The caller lets the helper get ahead once: a piece the helper has
        // not got to when the caller does, the caller reads itself.
        if (!waited && reader.HasHelper()) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          waited = true;
        }
        got.append(reinterpret_cast<const char*>(piece.data), piece.size);
        if (piece.digested) {
          ++digested;
          EXPECT_EQ(piece.digest, Sum(piece.data, piece.size));
        }
      } while (piece.size == kPiece && got.size() <= data.size());
      EXPECT_EQ(got, data);
      ASSERT_TRUE(reader.Next(piece, error));
      EXPECT_EQ(piece.size, 0u) << "nothing after the end";
      EXPECT_EQ(reader.HasHelper(), length >= plainPieces * kPiece);
      // Where the system can tell what is in memory, the helper takes its
      // pieces of a file just written.
      std::size_t probe = 0;
      unsigned char byte = 0;
      if (length > (plainPieces + 1) * kPiece && file.ReadCachedAt(0, &byte, 1, probe)) {
        EXPECT_GT(digested, 0u);
      }
    }
  }
}

}  // namespace

namespace {

TEST(FileReadAt, ReadsFromTheOffsetGivesNothingFromTheEndOnAndFailsWithAReason) {
  testutil::TempDir dir;
  testutil::WriteBytes(dir / "file", "0123456789");
  platform::File file = platform::File::Open(dir / "file", platform::Access::Read, platform::Share::Read,
                                             platform::Disposition::OpenExisting);
  struct Case {
    std::uint64_t offset;
    std::size_t size;
    std::string expected;
  };
  for (const Case& c : {Case{3, 4, "3456"}, Case{7, 8, "789"}, Case{10, 4, ""}, Case{1ull << 40, 4, ""},
                        Case{0, 10, "0123456789"}}) {
    SCOPED_TRACE(c.offset);
    char buffer[16] = {};
    std::size_t got = 99;
    std::string error;
    ASSERT_TRUE(file.ReadAt(c.offset, buffer, c.size, got, error)) << error;
    EXPECT_EQ(std::string(buffer, got), c.expected);
  }
  // A file opened only for writing cannot be read at any offset.
  platform::File writeOnly = platform::File::Open(dir / "file", platform::Access::Write, platform::Share::ReadWrite,
                                                  platform::Disposition::OpenExisting);
  char buffer[4];
  std::size_t got = 0;
  std::string error;
  EXPECT_FALSE(writeOnly.ReadAt(0, buffer, sizeof buffer, got, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
