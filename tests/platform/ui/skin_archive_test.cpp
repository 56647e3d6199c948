// Reading the built skin archives, and what a missing archive or entry gives.
#include "skin_archive.h"

#include <gtest/gtest.h>

#include "render.h"

namespace {

DuiLib::ResourceLocation Skin(const wchar_t* archive) {
  return DuiLib::ResourceLocation{std::wstring(QUORVEL_SKIN_DIR) + L"/", archive};
}

}  // namespace

TEST(SkinArchive, BothArchivesHoldTheMainAndGalleryLayouts) {
  for (const wchar_t* archive : {L"orbs.cn", L"orbs.en"}) {
    for (const wchar_t* layout : {L"main_wnd.xml", L"gallery.xml"}) {
      const DuiLib::ResourceData data = DuiLib::ReadSkinFile(Skin(archive), layout);
      ASSERT_TRUE(data.ok()) << std::string(data.error.begin(), data.error.end());
      EXPECT_NE(data.bytes.find("<Window"), std::string::npos);
    }
  }
}

TEST(SkinArchive, ChineseAndEnglishWordingDiffer) {
  const auto cn = DuiLib::ReadSkinFile(Skin(L"orbs.cn"), L"gallery.xml");
  const auto en = DuiLib::ReadSkinFile(Skin(L"orbs.en"), L"gallery.xml");
  EXPECT_NE(cn.bytes.find("请输入上课码"), std::string::npos);
  EXPECT_NE(en.bytes.find("Please input lesson code"), std::string::npos);
}

TEST(SkinArchive, ImagesDecodeFromPngAndJpeg) {
  for (const wchar_t* name : {L"logo_quorvel.png", L"wnd_bg_quorvel.jpg", L"button_normal.png"}) {
    const DuiLib::ResourceData data = DuiLib::ReadSkinFile(Skin(L"orbs.en"), name);
    ASSERT_TRUE(data.ok());
    const DuiLib::SurfacePtr image = DuiLib::DecodeImage(data.bytes);
    ASSERT_TRUE(image);
    EXPECT_GT(cairo_image_surface_get_width(image.get()), 0);
  }
  EXPECT_FALSE(DuiLib::DecodeImage("not an image"));
}

TEST(SkinArchive, MissingEntryAndArchiveAreErrorsNamingThem) {
  const auto entry = DuiLib::ReadSkinFile(Skin(L"orbs.en"), L"nothing_here.xml");
  EXPECT_FALSE(entry.ok());
  EXPECT_NE(entry.error.find(L"nothing_here.xml"), std::wstring::npos);
  const auto archive = DuiLib::ReadSkinFile(Skin(L"orbs.xx"), L"main_wnd.xml");
  EXPECT_FALSE(archive.ok());
  EXPECT_NE(archive.error.find(L"orbs.xx"), std::wstring::npos);
}
