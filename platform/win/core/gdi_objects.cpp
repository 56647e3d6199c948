#include "core/gdi_objects.h"

#include <atomic>
#include <cwchar>
#include <mutex>
#include <unordered_map>

#include "core/model.h"
#include "core/surface_store.h"

namespace win::core {

namespace {

struct Tables {
  std::mutex objects_mutex;
  std::unordered_map<std::uintptr_t, GdiObject> objects;
  std::mutex contexts_mutex;
  std::unordered_map<std::uintptr_t, DeviceContext> contexts;
};

Tables& TheTables() {
  static auto* tables = new Tables();
  return *tables;
}

std::uintptr_t NewObjectHandle() {
  // Even values above the stock range; never reused.
  static std::atomic<std::uintptr_t> next{0x20000};
  return next.fetch_add(2);
}

// Stock objects live at fixed small handles.
constexpr std::uintptr_t kStockBase = 0x1000;
std::uintptr_t StockHandle(int index) { return kStockBase + static_cast<std::uintptr_t>(index); }

}  // namespace

LOGFONTW DefaultGuiFont() {
  LOGFONTW font{};
  font.lfHeight = -12;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  std::wcsncpy(font.lfFaceName, L"Sans", LF_FACESIZE - 1);
  return font;
}

std::optional<GdiObject> LookupObject(HGDIOBJ handle) {
  auto key = reinterpret_cast<std::uintptr_t>(handle);
  if (key == StockHandle(DEFAULT_GUI_FONT)) return GdiObject{Font{DefaultGuiFont()}};
  if (key == StockHandle(BLACK_BRUSH)) return GdiObject{Brush{0}};
  if (key == StockHandle(NULL_BRUSH)) return GdiObject{Brush{0, true}};
  Tables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.objects_mutex);
  auto it = tables.objects.find(key);
  if (it == tables.objects.end()) return std::nullopt;
  return it->second;
}

std::optional<LOGFONTW> FontOf(HFONT font) {
  auto object = LookupObject(reinterpret_cast<HGDIOBJ>(font));
  if (!object || !std::holds_alternative<Font>(*object)) return std::nullopt;
  return std::get<Font>(*object).description;
}

std::optional<COLORREF> BrushColor(HBRUSH brush) {
  auto object = LookupObject(reinterpret_cast<HGDIOBJ>(brush));
  if (!object || !std::holds_alternative<Brush>(*object) || std::get<Brush>(*object).hollow) {
    return std::nullopt;
  }
  return std::get<Brush>(*object).color;
}

std::optional<Region> RegionOf(HRGN region) {
  auto object = LookupObject(reinterpret_cast<HGDIOBJ>(region));
  if (!object || !std::holds_alternative<Region>(*object)) return std::nullopt;
  return std::get<Region>(*object);
}

std::optional<Region> AdoptRegion(HRGN region) {
  Tables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.objects_mutex);
  auto it = tables.objects.find(reinterpret_cast<std::uintptr_t>(region));
  if (it == tables.objects.end() || !std::holds_alternative<Region>(it->second))
    return std::nullopt;
  Region adopted = std::get<Region>(it->second);
  tables.objects.erase(it);
  return adopted;
}

HGDIOBJ StoreObject(GdiObject object) {
  Tables& tables = TheTables();
  std::uintptr_t key = NewObjectHandle();
  std::lock_guard<std::mutex> lock(tables.objects_mutex);
  tables.objects.emplace(key, std::move(object));
  return reinterpret_cast<HGDIOBJ>(key);
}

bool ReplaceRegion(HRGN handle, Region region) {
  Tables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.objects_mutex);
  auto it = tables.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == tables.objects.end() || !std::holds_alternative<Region>(it->second)) return false;
  it->second = std::move(region);
  return true;
}

bool EraseObject(HGDIOBJ handle) {
  Tables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.objects_mutex);
  return tables.objects.erase(reinterpret_cast<std::uintptr_t>(handle)) != 0;
}

HGDIOBJ StockObject(int index) {
  if (index != DEFAULT_GUI_FONT && index != BLACK_BRUSH && index != NULL_BRUSH) return nullptr;
  return reinterpret_cast<HGDIOBJ>(StockHandle(index));
}

std::unique_lock<std::mutex> LockContexts() {
  return std::unique_lock<std::mutex>(TheTables().contexts_mutex);
}

DeviceContext* FindContextLocked(HDC dc) {
  Tables& tables = TheTables();
  auto it = tables.contexts.find(reinterpret_cast<std::uintptr_t>(dc));
  return it == tables.contexts.end() ? nullptr : &it->second;
}

HDC CreateContext(HWND window) {
  std::shared_ptr<win::Surface> surface;
  {
    Model& model = TheModel();
    std::shared_lock lock(model.mutex);
    Window* found = model.FindLocal(window);
    if (found == nullptr) return nullptr;
    surface = found->surface;
  }
  DeviceContext context;
  context.window = window;
  context.surface = std::move(surface);
  context.font = reinterpret_cast<HFONT>(StockObject(DEFAULT_GUI_FONT));
  std::uintptr_t key = NewObjectHandle();
  auto lock = LockContexts();
  TheTables().contexts.emplace(key, std::move(context));
  return reinterpret_cast<HDC>(key);
}

std::optional<DeviceContext> RemoveContext(HDC dc) {
  auto lock = LockContexts();
  Tables& tables = TheTables();
  auto it = tables.contexts.find(reinterpret_cast<std::uintptr_t>(dc));
  if (it == tables.contexts.end()) return std::nullopt;
  DeviceContext removed = std::move(it->second);
  tables.contexts.erase(it);
  return removed;
}

}  // namespace win::core
