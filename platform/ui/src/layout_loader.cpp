#include "layout_loader.h"

#include <algorithm>
#include <pugixml.hpp>
#include <vector>

#include "attribute_values.h"
#include "control_registry.h"
#include "diagnostics.h"
#include "ui/ui_containers.h"
#include "render.h"

namespace ui {

namespace {

// Deeper trees would only ever come from a broken file, and laying them out recurses.
constexpr int kMaxNesting = 64;
constexpr int kMaxFontSize = 256;

// Attributes naming an image that must exist in the skin.
bool IsImageAttribute(const std::wstring& name) {
  return name.size() > 5 && name.compare(name.size() - 5, 5, L"image") == 0;
}

class Loader {
 public:
  Loader(const ResourceLocation& where, std::wstring file, const std::string& text,
         CPaintManagerUI& manager)
      : where_(where), file_(std::move(file)), manager_(manager) {
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') newlines_.push_back(static_cast<ptrdiff_t>(i));
    }
  }

  void Problem(ptrdiff_t offset, const std::wstring& what) const {
    ReportProblem(Where(offset) + what);
  }

  // A problem that leaves the window without any control.
  void Failure(ptrdiff_t offset, const std::wstring& what) const {
    ReportEmptyWindow(Where(offset) + what + L"; the window stays empty");
  }

  std::unique_ptr<CControlUI> BuildWindow(const pugi::xml_node& window) {
    ApplyWindowAttributes(window);
    std::unique_ptr<CControlUI> root;
    for (const pugi::xml_node& child : window.children()) {
      if (child.type() != pugi::node_element) continue;
      const std::wstring kind = Widen(child.name());
      if (kind == L"Font") {
        AddFont(child);
      } else if (root) {
        Problem(child.offset_debug(), L"a window holds one root control; '" + kind + L"' ignored");
      } else {
        root = BuildControl(child, 1);
      }
    }
    return root;
  }

 private:
  void ApplyWindowAttributes(const pugi::xml_node& window) {
    for (const pugi::xml_attribute& attribute : window.attributes()) {
      const std::wstring name = Widen(attribute.name());
      const std::wstring value = Widen(attribute.value());
      bool ok = true;
      if (name == L"size") {
        const auto size = ParseSize(value);
        ok = size && size->in_range;
        if (size) manager_.SetInitSize(size->value.cx, size->value.cy);
      } else if (name == L"caption") {
        const auto rect = ParseRect(value);
        ok = rect && rect->in_range;
        if (rect) manager_.SetCaptionRect(rect->value);
      } else if (name == L"defaultbutton") {
        manager_.SetDefaultButton(value.c_str());
      } else if (name == L"cancelbutton") {
        manager_.SetCancelButton(value.c_str());
      } else if (name == L"sizebox") {
        const auto rect = ParseRect(value);
        ok = rect && rect->in_range;
        if (rect) manager_.SetSizeBox(rect->value);
      } else {
        Problem(window.offset_debug(), L"unknown attribute '" + name + L"' on Window");
        continue;
      }
      if (!ok)
        Problem(window.offset_debug(), L"bad value '" + value + L"' for '" + name + L"' on Window");
    }
  }

  void AddFont(const pugi::xml_node& node) {
    FontInfo font;
    font.face = Widen(node.attribute("name").as_string()).c_str();
    font.size = node.attribute("size").as_int(12);
    font.bold = node.attribute("bold").as_bool(false);
    font.italic = node.attribute("italic").as_bool(false);
    if (font.size <= 0 || font.size > kMaxFontSize) {
      Problem(node.offset_debug(), L"bad font size");
      font.size = 12;
    }
    manager_.AddFont(font, node.attribute("id").as_int(-1));
    if (node.attribute("default").as_bool(false)) manager_.SetDefaultFont(font);
  }

  std::unique_ptr<CControlUI> BuildControl(const pugi::xml_node& node, int depth) {
    const std::wstring kind = Widen(node.name());
    if (depth > kMaxNesting) {
      Problem(node.offset_debug(), L"controls nested deeper than " + std::to_wstring(kMaxNesting) +
                                       L" levels; '" + kind + L"' and what it holds ignored");
      return nullptr;
    }
    std::unique_ptr<CControlUI> control = CreateControl(kind);
    if (!control) {
      Problem(node.offset_debug(), L"unknown element '" + kind + L"'");
      return nullptr;
    }
    for (const pugi::xml_attribute& attribute : node.attributes())
      ApplyAttribute(*control, node, attribute);
    auto* container = dynamic_cast<CContainerUI*>(control.get());
    for (const pugi::xml_node& child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      if (container == nullptr) {
        Problem(child.offset_debug(), kind + L" cannot hold '" + Widen(child.name()) + L"'");
        continue;
      }
      if (std::unique_ptr<CControlUI> built = BuildControl(child, depth + 1))
        container->Add(built.release());
    }
    return control;
  }

  void ApplyAttribute(CControlUI& control, const pugi::xml_node& node,
                      const pugi::xml_attribute& attribute) {
    const std::wstring name = Widen(attribute.name());
    const std::wstring value = Widen(attribute.value());
    switch (control.ApplyAttribute(name.c_str(), value.c_str())) {
      case AttributeStatus::UnknownName:
        Problem(node.offset_debug(), L"unknown attribute '" + name + L"' on " + control.GetClass());
        return;
      case AttributeStatus::BadValue:
        Problem(node.offset_debug(),
                L"bad value '" + value + L"' for '" + name + L"' on " + control.GetClass());
        return;
      case AttributeStatus::Applied:
        break;
    }
    if (!IsImageAttribute(name) || value.empty()) return;
    const auto image = ParseImage(value);
    if (!image) return;
    const LoadedImage loaded = LoadSkinImage(where_, image->file);
    if (loaded.surface == nullptr) Problem(node.offset_debug(), loaded.error);
  }

  std::wstring Where(ptrdiff_t offset) const {
    const auto line =
        std::lower_bound(newlines_.begin(), newlines_.end(), offset) - newlines_.begin() + 1;
    return file_ + L":" + std::to_wstring(line) + L": ";
  }

  const ResourceLocation& where_;
  std::wstring file_;
  CPaintManagerUI& manager_;
  std::vector<ptrdiff_t> newlines_;
};

}  // namespace

std::unique_ptr<CControlUI> LoadLayout(const ResourceLocation& where, const std::wstring& file,
                                       CPaintManagerUI& manager) {
  const ResourceData data = ReadSkinFile(where, file);
  if (!data.ok()) {
    ReportEmptyWindow(file + L":0: " + data.error + L"; the window stays empty");
    return nullptr;
  }
  Loader loader(where, file, data.bytes, manager);
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(data.bytes.data(), data.bytes.size());
  if (!parsed) {
    loader.Failure(parsed.offset, L"malformed XML: " + Widen(parsed.description()));
    return nullptr;
  }
  const pugi::xml_node window = document.document_element();
  if (std::string(window.name()) != "Window") {
    loader.Failure(window.offset_debug(),
                   L"the layout's root element is '" + Widen(window.name()) + L"', not Window");
    return nullptr;
  }
  std::unique_ptr<CControlUI> root = loader.BuildWindow(window);
  if (!root) loader.Failure(window.offset_debug(), L"no control could be built");
  return root;
}

}  // namespace ui
