// The growable buffer a reply body is collected in. It starts with 1024 zero bytes; when a
// chunk would reach or pass the capacity, the storage grows to twice what it must hold, so a
// zero byte always follows the data received.
#pragma once

#include <cstddef>
#include <vector>
#include <string>

class ReplyBuffer {
 public:
  static constexpr size_t kInitialCapacity = 1024;

  ReplyBuffer() : storage_(kInitialCapacity, '\0') {}

  void Append(const char* data, size_t size);

  size_t size() const { return received_; }
  size_t capacity() const { return storage_.size(); }
  // The body up to its first zero byte (empty when nothing arrived).
  std::string Text() const;

 private:
  std::vector<char> storage_;
  size_t received_ = 0;
};
