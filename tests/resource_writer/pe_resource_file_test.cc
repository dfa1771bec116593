// PeResourceFile on a small PE file built here: resources listed with their
// room, a channel rewritten with only its bytes, size and checksum changed,
// and every damaged or cut-off variant refused without reading outside the
// file.
#include "tools/resource_writer/pe_resource_file.h"

#include <gtest/gtest.h>

#include <string>

namespace resource_writer {
namespace {

constexpr size_t kSectionOffset = 0x200;  // File offset of the resource section.
constexpr uint32_t kSectionRva = 0x1000;
constexpr size_t kChecksumOffset = 0x40 + 24 + 64;

void Put(std::string* bytes, size_t offset, uint32_t value, size_t width) {
  if (bytes->size() < offset + width) bytes->resize(offset + width, '\0');
  for (size_t i = 0; i < width; ++i) (*bytes)[offset + i] = static_cast<char>(value >> (8 * i));
}

// A 64-bit PE file whose one section holds the resource tree
// CHANNEL/138/2052 -> "zorv_seo_link" in a 260-byte slot, then
// THEME/136/0 -> 16 bytes.
std::string MakePe(bool with_checksum = true, bool is_signed = false) {
  std::string file;
  Put(&file, 0, 'M' | ('Z' << 8), 2);
  Put(&file, 0x3C, 0x40, 4);
  Put(&file, 0x40, 'P' | ('E' << 8), 4);
  const size_t coff = 0x44;
  Put(&file, coff, 0x8664, 2);
  Put(&file, coff + 2, 1, 2);       // One section.
  Put(&file, coff + 16, 0xF0, 2);   // Optional header size (PE32+).
  const size_t optional = coff + 20;
  Put(&file, optional, 0x20B, 2);
  Put(&file, optional + 108, 16, 4);                   // Data directories.
  Put(&file, optional + 112 + 2 * 8, kSectionRva, 4);  // Resources.
  Put(&file, optional + 112 + 2 * 8 + 4, 0x300, 4);
  if (is_signed) Put(&file, optional + 112 + 4 * 8 + 4, 0x100, 4);
  const size_t section = optional + 0xF0;
  Put(&file, section + 8, 0x300, 4);   // Virtual size.
  Put(&file, section + 12, kSectionRva, 4);
  Put(&file, section + 16, 0x300, 4);  // Raw size.
  Put(&file, section + 20, kSectionOffset, 4);

  // Directory tables (relative to the section): root at 0, CHANNEL names at
  // 0x30, languages at 0x48, THEME names at 0x60, languages at 0x78; type
  // name strings at 0x90 and 0xA0; data entries at 0xB0 and 0xC0; contents
  // at 0x100 (260 bytes) and 0x208.
  auto table = [&](size_t at, int named, int numbered) {
    Put(&file, kSectionOffset + at + 12, named, 2);
    Put(&file, kSectionOffset + at + 14, numbered, 2);
  };
  auto entry = [&](size_t at, uint32_t label, uint32_t target) {
    Put(&file, kSectionOffset + at, label, 4);
    Put(&file, kSectionOffset + at + 4, target, 4);
  };
  auto name = [&](size_t at, const std::string& text) {
    Put(&file, kSectionOffset + at, static_cast<uint32_t>(text.size()), 2);
    for (size_t i = 0; i < text.size(); ++i) Put(&file, kSectionOffset + at + 2 + 2 * i, text[i], 2);
  };
  table(0x00, 2, 0);
  entry(0x10, 0x80000000u | 0x90, 0x80000000u | 0x30);
  entry(0x18, 0x80000000u | 0xA0, 0x80000000u | 0x60);
  table(0x30, 0, 1);
  entry(0x40, 138, 0x80000000u | 0x48);
  table(0x48, 0, 1);
  entry(0x58, 2052, 0xB0);
  table(0x60, 0, 1);
  entry(0x70, 136, 0x80000000u | 0x78);
  table(0x78, 0, 1);
  entry(0x88, 0, 0xC0);
  name(0x90, "CHANNEL");
  name(0xA0, "THEME");
  Put(&file, kSectionOffset + 0xB0, kSectionRva + 0x100, 4);
  Put(&file, kSectionOffset + 0xB4, 13, 4);
  Put(&file, kSectionOffset + 0xC0, kSectionRva + 0x208, 4);
  Put(&file, kSectionOffset + 0xC4, 16, 4);
  file.resize(kSectionOffset + 0x300, '\0');
  file.replace(kSectionOffset + 0x100, 13, "zorv_seo_link");
  file.replace(kSectionOffset + 0x208, 16, "theme-bytes-here");
  if (with_checksum) {
    PeResourceFile parsed;
    std::string error;
    if (parsed.Parse(file, &error)) Put(&file, kChecksumOffset, parsed.ComputeChecksum(), 4);
  }
  return file;
}

TEST(PeResourceFileTest, ListsResourcesWithTheirRoom) {
  PeResourceFile file;
  std::string error;
  ASSERT_TRUE(file.Parse(MakePe(), &error)) << error;
  ASSERT_EQ(file.resources().size(), 2u);
  const auto* channel = file.Find("CHANNEL", "138");
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->language, 2052);
  EXPECT_EQ(file.Content(*channel), "zorv_seo_link");
  EXPECT_EQ(channel->room, 0x208u - 0x100u) << "up to the next content";
  const auto* theme = file.Find("THEME", "136");
  ASSERT_NE(theme, nullptr);
  EXPECT_EQ(file.Content(*theme), "theme-bytes-here");
  EXPECT_EQ(theme->room, 0x300u - 0x208u) << "up to the end of the section";
  EXPECT_EQ(file.Find("CHANNEL", "137"), nullptr);
}

TEST(PeResourceFileTest, ARewriteChangesOnlyTheContentItsSizeAndTheChecksum) {
  const std::string original = MakePe();
  PeResourceFile file;
  std::string error;
  ASSERT_TRUE(file.Parse(original, &error)) << error;
  ASSERT_TRUE(file.Rewrite("CHANNEL", "138", "ab", &error)) << error;
  const std::string& rewritten = file.bytes();
  ASSERT_EQ(rewritten.size(), original.size());
  for (size_t i = 0; i < original.size(); ++i) {
    const bool content = i >= kSectionOffset + 0x100 && i < kSectionOffset + 0x100 + 13;
    const bool size = i >= kSectionOffset + 0xB4 && i < kSectionOffset + 0xB8;
    const bool checksum = i >= kChecksumOffset && i < kChecksumOffset + 4;
    if (!content && !size && !checksum) {
      ASSERT_EQ(rewritten[i], original[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(rewritten.substr(kSectionOffset + 0x100, 13), std::string("ab") + std::string(11, '\0'))
      << "nothing of the old channel stays";

  PeResourceFile reread;
  ASSERT_TRUE(reread.Parse(rewritten, &error)) << error;
  EXPECT_EQ(reread.Content(*reread.Find("CHANNEL", "138")), "ab");
  EXPECT_EQ(static_cast<uint32_t>(static_cast<unsigned char>(rewritten[kChecksumOffset])) |
                static_cast<uint32_t>(static_cast<unsigned char>(rewritten[kChecksumOffset + 1]))
                    << 8 |
                static_cast<uint32_t>(static_cast<unsigned char>(rewritten[kChecksumOffset + 2]))
                    << 16 |
                static_cast<uint32_t>(static_cast<unsigned char>(rewritten[kChecksumOffset + 3]))
                    << 24,
            reread.ComputeChecksum());

  // Without a checksum the field stays 0.
  PeResourceFile unsummed;
  ASSERT_TRUE(unsummed.Parse(MakePe(/*with_checksum=*/false), &error));
  ASSERT_TRUE(unsummed.Rewrite("CHANNEL", "138", "x", &error));
  EXPECT_EQ(unsummed.bytes().substr(kChecksumOffset, 4), std::string(4, '\0'));
}

TEST(PeResourceFileTest, RefusedRewritesChangeNothing) {
  const struct {
    std::string file;
    std::string type;
    std::string content;
  } cases[] = {
      {MakePe(), "CHANNEL", std::string(0x108 + 1, 'x')},  // Past the next content.
      {MakePe(), "THEME", std::string(0xF8 + 1, 'x')},      // Past the section's end.
      {MakePe(), "NOSUCH", "x"},
      {MakePe(true, /*is_signed=*/true), "CHANNEL", "x"},  // Would break the signature.
  };
  for (const auto& c : cases) {
    PeResourceFile file;
    std::string error;
    ASSERT_TRUE(file.Parse(c.file, &error)) << error;
    EXPECT_FALSE(file.Rewrite(c.type, c.type == "THEME" ? "136" : "138", c.content, &error))
        << c.type;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(file.bytes(), c.file) << c.type;
  }
  PeResourceFile file;
  std::string error;
  ASSERT_TRUE(file.Parse(MakePe(), &error));
  EXPECT_TRUE(file.Rewrite("CHANNEL", "138", std::string(0x108, 'x'), &error)) << "exactly the room";
}

TEST(PeResourceFileTest, DamagedFilesAreRefusedWithoutReadingPastThem) {
  const std::string good = MakePe();
  // Every cut-off prefix.
  for (size_t length = 0; length < good.size(); ++length) {
    PeResourceFile file;
    std::string error;
    EXPECT_FALSE(file.Parse(good.substr(0, length), &error)) << "length " << length;
  }
  // Every header and directory byte turned into 0xFF, one at a time: the
  // parse may succeed or fail, but stays inside the bytes (the sanitizers
  // watch) and every listed content lies inside the file.
  for (size_t offset = 0; offset < kSectionOffset + 0xD0; ++offset) {
    std::string damaged = good;
    damaged[offset] = static_cast<char>(0xFF);
    PeResourceFile file;
    std::string error;
    if (!file.Parse(damaged, &error)) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    for (const auto& resource : file.resources()) {
      EXPECT_LE(resource.data_offset + resource.size, damaged.size()) << "offset " << offset;
    }
  }
  // A subdirectory that points back at the root is no endless walk.
  std::string looping = good;
  Put(&looping, kSectionOffset + 0x58, 2052, 4);
  Put(&looping, kSectionOffset + 0x5C, 0x80000000u, 4);
  PeResourceFile file;
  std::string error;
  EXPECT_FALSE(file.Parse(looping, &error));
  EXPECT_FALSE(PeResourceFile::LooksLikePe("ELF"));
}

}  // namespace
}  // namespace resource_writer
