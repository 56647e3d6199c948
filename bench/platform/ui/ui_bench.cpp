// Speed of the window library: loading and building a 50-control layout from a skin archive,
// and a full repaint of a 1080 x 675 window built from the gallery layout.
#include <ui/ui.h>
#include <benchmark/benchmark.h>
#include <ui/ui_test_driver.h>
#include <zip.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "layout_loader.h"
#include "resources.h"
#include "skin_archive.h"

namespace {

const std::wstring kSkinFolder = std::wstring(QUORVEL_SKIN_DIR) + L"/";

// 50 controls: 10 rows of a horizontal layout holding a label, two buttons and an edit field.
std::string FiftyControlLayout() {
  std::string xml =
      "<Window size=\"800,600\" caption=\"0,0,0,30\">\n<Font id=\"0\" name=\"微软雅黑\" "
      "size=\"14\" default=\"true\"/>\n"
      "<VerticalLayout bkcolor=\"#FF202020\" inset=\"10,10,10,10\" childpadding=\"4\">\n";
  for (int row = 0; row < 10; ++row) {
    const std::string n = std::to_string(row);
    xml +=
        "<HorizontalLayout height=\"36\" childpadding=\"8\">\n"
        "  <Label name=\"label_" +
        n + "\" text=\"行 " + n +
        " row\" width=\"120\" textcolor=\"#FFFFFFFF\"/>\n"
        "  <Button name=\"ok_" +
        n +
        "\" text=\"OK\" width=\"100\" normalimage=\"button_normal.png\" "
        "hotimage=\"button_hot.png\" pushedimage=\"button_pushed.png\"/>\n"
        "  <Button name=\"no_" +
        n +
        "\" text=\"No\" width=\"100\" normalimage=\"file='button_normal.png' corner='6,6,6,6'\"/>\n"
        "  <Edit name=\"edit_" +
        n +
        "\" text=\"text\" bkcolor=\"#FFFFFFFF\"/>\n"
        "</HorizontalLayout>\n";
  }
  return xml + "</VerticalLayout>\n</Window>\n";
}

// An archive holding the 50-control layout and the real skin's button images.
std::wstring WriteBenchArchive() {
  const std::string path = "/tmp/quorvel-ui-bench.zip";
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  static std::string layout = FiftyControlLayout();
  zip_file_add(archive, "fifty.xml", zip_source_buffer(archive, layout.data(), layout.size(), 0),
               ZIP_FL_OVERWRITE);
  static std::string images[3];
  const char* names[] = {"button_normal.png", "button_hot.png", "button_pushed.png"};
  for (int i = 0; i < 3; ++i) {
    const std::wstring wide(names[i], names[i] + std::char_traits<char>::length(names[i]));
    images[i] = ui::ReadSkinFile(ui::ResourceLocation{kSkinFolder, L"orbs.en"}, wide).bytes;
    zip_file_add(archive, names[i],
                 zip_source_buffer(archive, images[i].data(), images[i].size(), 0),
                 ZIP_FL_OVERWRITE);
  }
  zip_close(archive);
  return L"quorvel-ui-bench.zip";
}

void LoadAndBuildFiftyControls(benchmark::State& state) {
  const ui::ResourceLocation where{L"/tmp/", WriteBenchArchive()};
  for (auto _ : state) {
    ui::CPaintManagerUI manager;
    std::unique_ptr<ui::CControlUI> root = ui::LoadLayout(where, L"fifty.xml", manager);
    root->SetPos(RECT{0, 0, 800, 600});
    benchmark::DoNotOptimize(root.get());
  }
}
BENCHMARK(LoadAndBuildFiftyControls)->Unit(benchmark::kMillisecond);

class GalleryWindow : public ui::WindowImplBase {
 public:
  ui::CPaintManagerUI& manager() { return m_PaintManager; }

 protected:
  ui::LPCTSTR GetWindowClassName() const override { return L"QvBenchGallery"; }
  ui::CUiString GetSkinFile() override { return L"gallery.xml"; }
};

void FullRepaint1080x675(benchmark::State& state) {
  setenv("QUORVEL_HEADLESS", "1", 1);
  ui::CPaintManagerUI::SetResourcePath(kSkinFolder.c_str());
  ui::CPaintManagerUI::SetResourceZip(L"orbs.cn");
  GalleryWindow window;
  window.Create(nullptr, L"", WS_POPUP | WS_VISIBLE, 0, 0, 0, 1080, 675);
  MoveWindow(window.GetHWND(), 0, 0, 1080, 675, TRUE);
  window.manager().PaintNow();
  for (auto _ : state) {
    window.manager().Invalidate();
    window.manager().PaintNow();
  }
  DestroyWindow(window.GetHWND());
}
BENCHMARK(FullRepaint1080x675)->Unit(benchmark::kMillisecond);

}  // namespace
