#include <gtest/gtest.h>

#include "zpk/engine.h"
#include "zpk/handle.h"
#include "zpktest.h"

using namespace kw::zpk;

namespace {

TEST(Engine, ContextAccessorsCheckTheTag) {
  ArchiveHandleRec h;
  CompressionContext* c = ContextCreate(&h);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->tag, kContextTag);
  EXPECT_EQ(ContextGetCrc(c), 0u);
  EXPECT_TRUE(ContextSetCrc(c, 0xFFFFFFFFu));
  EXPECT_TRUE(ContextSetSize(c, 77));
  EXPECT_TRUE(ContextSetPacked(c, 5));
  EXPECT_EQ(ContextGetCrc(c), 0xFFFFFFFFu);
  EXPECT_EQ(ContextGetSize(c), 77u);
  EXPECT_EQ(ContextGetPacked(c), 5u);

  CompressionContext wrong = *c;
  wrong.tag = 0x12345678;
  for (CompressionContext* bad : {static_cast<CompressionContext*>(nullptr), &wrong}) {
    ArchiveStartup();
    EXPECT_FALSE(ContextSetCrc(bad, 1));
    EXPECT_EQ(ArchiveGetLastError(), kZpkBadHandle);
    ArchiveStartup();
    EXPECT_EQ(ContextGetSize(bad), 0u);
    EXPECT_EQ(ArchiveGetLastError(), kZpkBadHandle);
    ArchiveStartup();
    EXPECT_FALSE(ContextFree(bad));
    EXPECT_EQ(ArchiveGetLastError(), kZpkBadHandle);
  }
  EXPECT_TRUE(ContextFree(c));
}

// The volume-full stop, straight from the engine: the stream continues
// where it stopped, and the pieces join into the one zlib stream.
TEST(Engine, VolumeFullStopsAndResumes) {
  kwtest::TempDir dir;
  std::vector<uint8_t> data = zpktest::MixedBytes(40000, 50);
  kwtest::WriteFile(dir.file("src"), data);
  ArchiveHandleRec h;
  h.limit = 6000;
  ArchiveStream src, dst;
  ASSERT_TRUE(src.Open(dir.file("src"), "rb"));
  CompressionContext* c = ContextCreate(&h);
  c->crc = 0xFFFFFFFFu;
  c->size = uint32_t(data.size());
  std::vector<uint8_t> joined;
  uint32_t consumed = 0;
  int rc = 0;
  for (int volume = 1; volume < 20; ++volume) {
    std::string p = dir.file("v" + std::to_string(volume));
    ASSERT_TRUE(dst.Open(p, "w+b"));
    std::vector<uint8_t> opening(100, 0);  // stands for header and entry
    ASSERT_TRUE(dst.Write(opening.data(), opening.size()));
    c->consumed = consumed;
    rc = CompressFile(src, dst, c);
    consumed += c->consumed;
    int64_t end = dst.Tell();
    dst.Close();
    EXPECT_LE(end + 10, 6000);
    EXPECT_EQ(uint32_t(end - 100), c->packed);
    std::vector<uint8_t> b = kwtest::ReadFile(p);
    joined.insert(joined.end(), b.begin() + 100, b.end());
    if (rc != kVolumeFull) break;
    EXPECT_TRUE(h.deflate.active);  // the stream lives across the switch
  }
  EXPECT_EQ(rc, 1);
  EXPECT_FALSE(h.deflate.active);
  EXPECT_EQ(consumed, data.size());
  EXPECT_EQ(~c->crc, zpktest::Crc(data));
  EXPECT_EQ(joined, zpktest::Deflate9(data));
  ContextFree(c);
}

}  // namespace
