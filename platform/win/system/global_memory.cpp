// Movable blocks are heap vectors known by their address; only blocks handed out are accepted
// back, so a stale or made-up handle fails instead of touching memory.
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "win/system.h"

namespace {

struct Blocks {
  std::mutex mutex;
  std::unordered_map<HGLOBAL, std::unique_ptr<std::vector<unsigned char>>> live;
};

Blocks& TheBlocks() {
  static Blocks blocks;
  return blocks;
}

std::vector<unsigned char>* Find(Blocks& blocks, HGLOBAL memory) {
  auto found = blocks.live.find(memory);
  return found == blocks.live.end() ? nullptr : found->second.get();
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, std::size_t bytes) {
  auto block = std::make_unique<std::vector<unsigned char>>(bytes);
  HGLOBAL handle = block.get();
  Blocks& blocks = TheBlocks();
  std::lock_guard<std::mutex> lock(blocks.mutex);
  blocks.live.emplace(handle, std::move(block));
  return handle;
}

LPVOID GlobalLock(HGLOBAL memory) {
  Blocks& blocks = TheBlocks();
  std::lock_guard<std::mutex> lock(blocks.mutex);
  std::vector<unsigned char>* block = Find(blocks, memory);
  return block == nullptr ? nullptr : block->data();
}

BOOL GlobalUnlock(HGLOBAL memory) {
  Blocks& blocks = TheBlocks();
  std::lock_guard<std::mutex> lock(blocks.mutex);
  return Find(blocks, memory) != nullptr ? TRUE : FALSE;
}

std::size_t GlobalSize(HGLOBAL memory) {
  Blocks& blocks = TheBlocks();
  std::lock_guard<std::mutex> lock(blocks.mutex);
  std::vector<unsigned char>* block = Find(blocks, memory);
  return block == nullptr ? 0 : block->size();
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  Blocks& blocks = TheBlocks();
  std::lock_guard<std::mutex> lock(blocks.mutex);
  return blocks.live.erase(memory) == 1 ? nullptr : memory;
}
