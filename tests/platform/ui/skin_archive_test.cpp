// Reading the built skin archives, and what a missing archive or entry gives.
#include "skin_archive.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "image_decoder.h"

namespace {

ui::ResourceLocation Skin(const wchar_t* archive) {
  return ui::ResourceLocation{std::wstring(QUORVEL_SKIN_DIR) + L"/", archive};
}

void PutBigEndian(std::string& bytes, size_t at, unsigned value, size_t length) {
  for (size_t i = 0; i < length; ++i)
    bytes[at + i] = static_cast<char>((value >> (8 * (length - 1 - i))) & 0xFF);
}

// A real image of the skin with another size in its header, as a crafted file has.
std::string WithClaimedSize(const wchar_t* name, unsigned width, unsigned height) {
  std::string bytes = ui::ReadSkinFile(Skin(L"orbs.en"), name).bytes;
  if (bytes.compare(1, 3, "PNG") == 0) {
    PutBigEndian(bytes, 16, width, 4);
    PutBigEndian(bytes, 20, height, 4);
    return bytes;
  }
  // JPEG segments up to the frame header, which holds height and width.
  for (size_t at = 2; at + 9 < bytes.size();) {
    const auto marker = static_cast<unsigned char>(bytes[at + 1]);
    if (marker >= 0xC0 && marker <= 0xC2) {
      PutBigEndian(bytes, at + 5, height, 2);
      PutBigEndian(bytes, at + 7, width, 2);
      return bytes;
    }
    at += 2 + ((static_cast<unsigned char>(bytes[at + 2]) << 8) |
               static_cast<unsigned char>(bytes[at + 3]));
  }
  return {};
}

}  // namespace

TEST(SkinArchive, BothArchivesHoldTheMainAndGalleryLayouts) {
  for (const wchar_t* archive : {L"orbs.cn", L"orbs.en"}) {
    for (const wchar_t* layout : {L"main_wnd.xml", L"gallery.xml"}) {
      const ui::ResourceData data = ui::ReadSkinFile(Skin(archive), layout);
      ASSERT_TRUE(data.ok()) << std::string(data.error.begin(), data.error.end());
      EXPECT_NE(data.bytes.find("<Window"), std::string::npos);
    }
  }
}

TEST(SkinArchive, ChineseAndEnglishWordingDiffer) {
  const auto cn = ui::ReadSkinFile(Skin(L"orbs.cn"), L"gallery.xml");
  const auto en = ui::ReadSkinFile(Skin(L"orbs.en"), L"gallery.xml");
  EXPECT_NE(cn.bytes.find("请输入上课码"), std::string::npos);
  EXPECT_NE(en.bytes.find("Please input lesson code"), std::string::npos);
}

TEST(SkinArchive, ImagesDecodeFromPngAndJpeg) {
  for (const wchar_t* name : {L"logo_quorvel.png", L"wnd_bg_quorvel.jpg", L"button_normal.png"}) {
    const ui::ResourceData data = ui::ReadSkinFile(Skin(L"orbs.en"), name);
    ASSERT_TRUE(data.ok());
    const ui::DecodedImage image = ui::DecodeImage(data.bytes);
    ASSERT_TRUE(image.surface);
    EXPECT_GT(cairo_image_surface_get_width(image.surface.get()), 0);
  }
  EXPECT_FALSE(ui::DecodeImage("not an image").surface);
}

TEST(SkinArchive, ImagesClaimingMoreThanASurfaceHoldsAreBrokenNotDecoded) {
  const struct {
    const wchar_t* name;
    unsigned width;
    unsigned height;
  } cases[] = {{L"wnd_bg_quorvel.jpg", 40000, 2},
               {L"wnd_bg_quorvel.jpg", 2, 8193},
               {L"wnd_bg_quorvel.jpg", 5000, 5000},
               {L"logo_quorvel.png", 40000, 2},
               {L"logo_quorvel.png", 8193, 8}};
  for (const auto& c : cases) {
    const std::string bytes = WithClaimedSize(c.name, c.width, c.height);
    ASSERT_FALSE(bytes.empty());
    const ui::DecodedImage image = ui::DecodeImage(bytes);
    EXPECT_FALSE(image.surface) << c.width << " x " << c.height;
    EXPECT_NE(image.error.find(L"over the limit"), std::wstring::npos);
  }
}

TEST(SkinArchive, MissingEntryAndArchiveAreErrorsNamingThem) {
  const auto entry = ui::ReadSkinFile(Skin(L"orbs.en"), L"nothing_here.xml");
  EXPECT_FALSE(entry.ok());
  EXPECT_NE(entry.error.find(L"nothing_here.xml"), std::wstring::npos);
  const auto archive = ui::ReadSkinFile(Skin(L"orbs.xx"), L"main_wnd.xml");
  EXPECT_FALSE(archive.ok());
  EXPECT_NE(archive.error.find(L"orbs.xx"), std::wstring::npos);
}

namespace {

// Writes an archive holding one entry with that text, replacing whatever the path held.
void WriteArchive(const std::string& path, const std::string& text) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  ASSERT_NE(archive, nullptr);
  zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
  ASSERT_GE(zip_file_add(archive, "entry.xml", source, ZIP_FL_OVERWRITE), 0);
  ASSERT_EQ(zip_close(archive), 0);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(SkinArchive, AnEntryClaimingAHugeSizeIsRefusedBeforeItIsAllocated) {
  const std::string folder = ::testing::TempDir();
  const std::string name = "quorvel-huge-entry-skin.zip";
  WriteArchive(folder + name, "<Window/>");
  // The central directory's uncompressed size, 24 bytes into the entry's record, now claims
  // almost 4 GiB.
  std::string bytes = ReadBytes(folder + name);
  const size_t record = bytes.find("PK\x01\x02");
  ASSERT_NE(record, std::string::npos);
  bytes.replace(record + 24, 4, "\xf0\xff\xff\xff");
  std::ofstream(folder + name, std::ios::binary | std::ios::trunc) << bytes;

  const ui::ResourceData data = ui::ReadSkinFile(
      {std::wstring(folder.begin(), folder.end()), std::wstring(name.begin(), name.end())},
      L"entry.xml");
  EXPECT_FALSE(data.ok());
  EXPECT_TRUE(data.bytes.empty());
  EXPECT_NE(data.error.find(L"too large an entry entry.xml (4294967280 bytes)"), std::wstring::npos)
      << std::string(data.error.begin(), data.error.end());
  std::remove((folder + name).c_str());
}

namespace {

// The file's change time set back by that many seconds.
void AgeFile(const std::string& path, int seconds) {
  struct stat file {};
  ASSERT_EQ(::stat(path.c_str(), &file), 0);
  timespec times[2] = {file.st_atim, file.st_mtim};
  times[0].tv_sec -= seconds;
  times[1].tv_sec -= seconds;
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class RewrittenArchive : public ::testing::Test {
 protected:
  void TearDown() override {
    std::remove(path_.c_str());
    std::remove((path_ + ".next").c_str());
  }
  const std::string folder_ = ::testing::TempDir();
  // Its own file per test and process: ctest runs the cases of this fixture side by side.
  const std::string name_ = std::string("quorvel-rewritten-skin-") +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                            std::to_string(::getpid()) + ".zip";
  const std::string path_ = folder_ + name_;
  const ui::ResourceLocation where_{std::wstring(folder_.begin(), folder_.end()),
                                    std::wstring(name_.begin(), name_.end())};
};

}  // namespace

// Entries of the same size throughout, so that only the file itself tells the archives apart.
TEST_F(RewrittenArchive, AReplacedArchiveIsReadAnew) {
  WriteArchive(path_, "<Window first/>");
  EXPECT_EQ(ui::ReadSkinFile(where_, L"entry.xml").bytes, "<Window first/>");
  WriteArchive(path_, "<Window again/>");
  EXPECT_EQ(ui::ReadSkinFile(where_, L"entry.xml").bytes, "<Window again/>");
  // Another archive between two reads of the same one.
  EXPECT_TRUE(ui::ReadSkinFile(Skin(L"orbs.en"), L"main_wnd.xml").ok());
  EXPECT_EQ(ui::ReadSkinFile(where_, L"entry.xml").bytes, "<Window again/>");
}

TEST_F(RewrittenArchive, AKeptArchiveRewrittenInPlaceIsReadAnew) {
  WriteArchive(path_, "<Window first/>");
  AgeFile(path_, 60);  // settled: the reads keep it open
  EXPECT_EQ(ui::ReadSkinFile(where_, L"entry.xml").bytes, "<Window first/>");
  EXPECT_EQ(ui::ReadSkinFile(where_, L"entry.xml").bytes, "<Window first/>");
  WriteArchive(path_ + ".next", "<Window again/>");
  // The same file (same inode) with new bytes, as a tool that writes in place leaves it.
  std::ofstream(path_, std::ios::binary | std::ios::trunc) << ReadBytes(path_ + ".next");
  EXPECT_EQ(ui::ReadSkinFile(where_, L"entry.xml").bytes, "<Window again/>");
}

TEST_F(RewrittenArchive, AKeptArchiveRemovedIsAnError) {
  WriteArchive(path_, "<Window first/>");
  AgeFile(path_, 60);
  EXPECT_TRUE(ui::ReadSkinFile(where_, L"entry.xml").ok());
  std::remove(path_.c_str());
  EXPECT_FALSE(ui::ReadSkinFile(where_, L"entry.xml").ok());
}
