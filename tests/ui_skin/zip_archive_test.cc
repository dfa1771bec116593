#include "ui/skin/zip_archive.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/ui_skin/test_zip_builder.h"

namespace ui {
namespace {

using Result = ZipArchive::Result;

// Central-directory and local-header field offsets.
constexpr size_t kCentralFlags = 8;
constexpr size_t kCentralMethod = 10;
constexpr size_t kCentralCrc = 16;
constexpr size_t kCentralCompressed = 20;
constexpr size_t kCentralUncompressed = 24;
constexpr size_t kCentralNameLength = 28;
constexpr size_t kCentralLocalOffset = 42;
constexpr size_t kLocalNameLength = 26;
constexpr size_t kEndDisk = 4;
constexpr size_t kEndTotal = 10;
constexpr size_t kEndDirectorySize = 12;
constexpr size_t kEndDirectoryOffset = 16;

std::string Text(size_t size) {
  std::string text;
  for (size_t i = 0; text.size() < size; ++i)
    text += "line " + std::to_string(i) + " of the skin\n";
  text.resize(size);
  return text;
}

TEST(ZipArchiveTest, ReadsStoredDeflatedAndDirectoryEntries) {
  TestZipBuilder builder;
  builder.AddDirectory("resources/");
  builder.Add("resources/themes/default/global.xml", Text(5000));
  builder.Add("resources/lang/zh_CN/gdstrings.ini", "STRING_OK=确定\n",
              TestZipBuilder::Options(false, false));
  builder.Add("resources/empty.txt", "");
  ZipArchive zip;
  ASSERT_EQ(zip.Open(builder.Build()), Result::kOk);
  ASSERT_EQ(zip.entries().size(), 4u);
  EXPECT_TRUE(zip.entries()[0].IsDirectory());
  EXPECT_EQ(zip.entries()[1].method, 8);
  EXPECT_EQ(zip.entries()[2].method, 0);

  std::string data;
  EXPECT_EQ(zip.ReadEntry(u"resources/themes/default/global.xml", &data), Result::kOk);
  EXPECT_EQ(data, Text(5000));
  EXPECT_EQ(zip.ReadEntryUtf8("resources/lang/zh_CN/gdstrings.ini", &data), Result::kOk);
  EXPECT_EQ(data, "STRING_OK=确定\n");
  EXPECT_EQ(zip.ReadEntry(u"resources/empty.txt", &data), Result::kOk);
  EXPECT_EQ(data, "");
  EXPECT_EQ(zip.ReadEntry(u"resources/", &data), Result::kOk);
  EXPECT_EQ(zip.ReadEntry(u"resources/missing.xml", &data), Result::kNotFound);

  zip.Close();
  EXPECT_FALSE(zip.IsOpen());
  EXPECT_EQ(zip.ReadEntry(u"resources/empty.txt", &data), Result::kNotOpen);
}

TEST(ZipArchiveTest, NormalizesNames) {
  const struct {
    const char16_t* name;
    const char* normalized;
  } cases[] = {
      {u"resources\\themes\\default\\global.xml", "resources/themes/default/global.xml"},
      {u"resources//themes///a.xml", "resources/themes/a.xml"},
      {u"/resources/a.xml", "resources/a.xml"},
      {u"\\\\resources\\a.xml", "resources/a.xml"},
      {u"./resources/./a.xml", "resources/a.xml"},
      {u"resources/basic/../public/a.png", "resources/public/a.png"},
      {u"a/b/c/../../d", "a/d"},
      {u"a/..", ""},
      {u"../a", "../a"},
      {u"resources/", "resources/"},
      {u"资源/图.png", "\xE8\xB5\x84\xE6\xBA\x90/\xE5\x9B\xBE.png"},
      {u"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ZipArchive::NormalizeName(c.name), c.normalized);
  }
  // The bound is on the normalised UTF-8 bytes.
  EXPECT_EQ(ZipArchive::NormalizeNameUtf8(std::string(255, 'a')).size(), 255u);
  EXPECT_EQ(ZipArchive::NormalizeNameUtf8(std::string(256, 'a')), "");
  EXPECT_EQ(ZipArchive::NormalizeNameUtf8("x/../" + std::string(250, 'a')).size(), 250u);
  EXPECT_EQ(ZipArchive::NormalizeName(std::u16string(86, u'图')), "");  // 258 bytes
}

TEST(ZipArchiveTest, LooksUpWithoutAsciiCase) {
  TestZipBuilder builder;
  builder.Add("resources/themes/default/public/checkbox/check.png", "png");
  builder.Add("resources/" + std::string(250, 'n'), "long");
  ZipArchive zip;
  ASSERT_EQ(zip.Open(builder.Build()), Result::kOk);
  std::string data;
  for (const char16_t* name : {
           u"resources/themes/default/public/CheckBox/check.png",
           u"RESOURCES\\THEMES\\DEFAULT\\PUBLIC\\CHECKBOX\\CHECK.PNG",
           u"resources/themes/default/basic/../public/checkbox/check.png",
       }) {
    EXPECT_EQ(zip.ReadEntry(name, &data), Result::kOk);
    EXPECT_EQ(data, "png");
  }
  // Stored names over the bound exist but cannot be looked up.
  EXPECT_EQ(zip.ReadEntryUtf8("resources/" + std::string(250, 'n'), &data), Result::kNameRejected);
  EXPECT_EQ(zip.ReadEntry(u"", &data), Result::kNameRejected);
  EXPECT_FALSE(zip.HasEntry(u"resources/themes/default/public/checkbox/check.pn"));
}

struct Damage {
  const char* name;
  // Changes the archive built from one deflated entry "a.txt".
  std::function<void(std::string&, const TestZipBuilder&)> damage;
  Result open;
  Result read;
};

class ZipDamageTest : public ::testing::TestWithParam<Damage> {};

TEST_P(ZipDamageTest, RefusesDamagedArchive) {
  TestZipBuilder builder;
  builder.Add("a.txt", Text(3000));
  std::string archive = builder.Build();
  GetParam().damage(archive, builder);
  ZipArchive zip;
  ASSERT_EQ(zip.Open(archive), GetParam().open);
  if (GetParam().open != Result::kOk) {
    EXPECT_FALSE(zip.IsOpen());
    return;
  }
  std::string data = "stale";
  EXPECT_EQ(zip.ReadEntry(u"a.txt", &data), GetParam().read);
  if (GetParam().read != Result::kOk) {
    EXPECT_EQ(data, "");
  }
}

size_t Central(const TestZipBuilder& b, size_t field) { return b.layout(0).central_header + field; }
size_t End(const TestZipBuilder& b, size_t field) { return b.end_record() + field; }

INSTANTIATE_TEST_SUITE_P(Hostile, ZipDamageTest,
                         ::testing::Values(Damage{"Intact",
                                                  [](std::string&, const TestZipBuilder&) {},
                                                  Result::kOk, Result::kOk},
                                           Damage{"TooShort",
                                                  [](std::string& a, const TestZipBuilder&) {
                                                    a.resize(21);
                                                  },
                                                  Result::kBadArchive, Result::kOk},
                                           Damage{"NoEndRecord",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    a[b.end_record()] = 'X';
                                                  },
                                                  Result::kBadArchive, Result::kOk},
                                           Damage{"EndRecordCut",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    a.resize(b.end_record() + 21);
                                                  },
                                                  Result::kBadArchive, Result::kOk},
                                           Damage{"MultiDisk",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set16(a, End(b, kEndDisk), 1);
                                                  },
                                                  Result::kUnsupported, Result::kOk},
                                           Damage{"DirectoryOffsetPastEnd",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, End(b, kEndDirectoryOffset), 0x7FFFFFF0);
                                                  },
                                                  Result::kBadArchive, Result::kOk},
                                           Damage{"DirectorySizePastEnd",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, End(b, kEndDirectorySize), 0x10000);
                                                  },
                                                  Result::kBadArchive, Result::kOk},
                                           Damage{"DirectoryOffsetPlusSizeOverflows",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, End(b, kEndDirectoryOffset), 0xFFFFFFF0);
                                                    TestZipBuilder::Set32(
                                                        a, End(b, kEndDirectorySize), 0x20);
                                                  },
                                                  Result::kBadArchive, Result::kOk},
                                           Damage{"MoreEntriesThanDirectory",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set16(a, End(b, kEndTotal), 2);
                                                    TestZipBuilder::Set16(a, End(b, kEndTotal - 2),
                                                                          2);
                                                  },
                                                  Result::kBadArchive, Result::kOk},
                                           Damage{"NameLengthPastDirectory",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set16(
                                                        a, Central(b, kCentralNameLength), 0xFFFF);
                                                  },
                                                  Result::kBadArchive, Result::kOk},
                                           Damage{"LocalOffsetPastDirectory",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, Central(b, kCentralLocalOffset),
                                                        0xFFFFFFF0);
                                                  },
                                                  Result::kBadArchive, Result::kOk},
                                           Damage{"LocalSignatureWrong",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    a[b.layout(0).local_header] = 'Q';
                                                  },
                                                  Result::kOk, Result::kBadEntry},
                                           Damage{"LocalNameLengthLies",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set16(
                                                        a,
                                                        b.layout(0).local_header + kLocalNameLength,
                                                        0xFFFF);
                                                  },
                                                  Result::kOk, Result::kBadEntry},
                                           Damage{"CompressedSizePastEnd",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, Central(b, kCentralCompressed),
                                                        0x100000);
                                                  },
                                                  Result::kOk, Result::kBadEntry},
                                           Damage{"CompressedSizeOverflows",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, Central(b, kCentralCompressed),
                                                        0xFFFFFFFF);
                                                  },
                                                  Result::kOk, Result::kBadEntry},
                                           Damage{"CrcMismatch",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, Central(b, kCentralCrc), 0x12345678);
                                                  },
                                                  Result::kOk, Result::kCrcMismatch},
                                           Damage{"InflatesPastDeclaredSize",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, Central(b, kCentralUncompressed), 2999);
                                                  },
                                                  Result::kOk, Result::kSizeMismatch},
                                           Damage{"InflatesShortOfDeclaredSize",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, Central(b, kCentralUncompressed), 3001);
                                                  },
                                                  Result::kOk, Result::kSizeMismatch},
                                           Damage{"DeclaredSizeBeyondDeflateRatio",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, Central(b, kCentralUncompressed),
                                                        60u << 20);
                                                  },
                                                  Result::kOk, Result::kSizeMismatch},
                                           Damage{"DeclaredSizeTooLarge",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, Central(b, kCentralUncompressed),
                                                        0x7FFFFFFF);
                                                  },
                                                  Result::kOk, Result::kTooLarge},
                                           Damage{"DeflateDataDamaged",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    for (size_t i = 0; i < 8; ++i)
                                                      a[b.layout(0).data + i] = '\xFF';
                                                  },
                                                  Result::kOk, Result::kBadEntry},
                                           Damage{"DeflateDataTruncated",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set32(
                                                        a, Central(b, kCentralCompressed),
                                                        static_cast<uint32_t>(
                                                            b.layout(0).data_size / 2));
                                                  },
                                                  Result::kOk, Result::kBadEntry},
                                           Damage{"Encrypted",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set16(
                                                        a, Central(b, kCentralFlags), 1);
                                                  },
                                                  Result::kOk, Result::kEncrypted},
                                           Damage{"UnknownMethod",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set16(
                                                        a, Central(b, kCentralMethod), 12);
                                                  },
                                                  Result::kOk, Result::kUnsupportedMethod},
                                           Damage{"StoredSizesDiffer",
                                                  [](std::string& a, const TestZipBuilder& b) {
                                                    TestZipBuilder::Set16(
                                                        a, Central(b, kCentralMethod), 0);
                                                  },
                                                  Result::kOk, Result::kSizeMismatch}),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                           return info.param.name;
                         });

TEST(ZipArchiveTest, BombStopsAtDeclaredSize) {
  // 32 MiB of zeros deflate to about 32 KiB; declared as 4 KiB the reader
  // must stop after 4 KiB + 1 byte instead of inflating it all.
  const std::string zeros(32u << 20, '\0');
  const std::string packed = TestZipBuilder::Deflate(zeros);
  TestZipBuilder builder;
  builder.Add("bomb.bin", std::string(4096, '\0'));
  std::string archive = builder.Build();
  // Swap the 4 KiB stream for the 32 MiB one, keeping the declared size.
  const TestZipBuilder::Layout layout = builder.layout(0);
  archive.replace(layout.data, layout.data_size, packed);
  const size_t shift = packed.size() - layout.data_size;
  TestZipBuilder::Set32(archive, layout.central_header + shift + kCentralCompressed,
                        static_cast<uint32_t>(packed.size()));
  TestZipBuilder::Set32(archive, builder.end_record() + shift + kEndDirectoryOffset,
                        static_cast<uint32_t>(layout.central_header + shift));
  ZipArchive zip;
  ASSERT_EQ(zip.Open(archive), Result::kOk);
  std::string data;
  EXPECT_EQ(zip.ReadEntry(u"bomb.bin", &data), Result::kSizeMismatch);
  EXPECT_TRUE(data.empty());
}

TEST(ZipArchiveTest, ReopeningReplacesEntries) {
  TestZipBuilder first;
  first.Add("one.txt", "1");
  TestZipBuilder second;
  second.Add("two.txt", "2");
  ZipArchive zip;
  ASSERT_EQ(zip.Open(first.Build()), Result::kOk);
  ASSERT_EQ(zip.Open(second.Build()), Result::kOk);
  EXPECT_FALSE(zip.HasEntry(u"one.txt"));
  EXPECT_TRUE(zip.HasEntry(u"two.txt"));
  EXPECT_EQ(zip.Open("not a zip at all, longer than twenty-two bytes"), Result::kBadArchive);
  EXPECT_FALSE(zip.HasEntry(u"two.txt"));
}

}  // namespace
}  // namespace ui
