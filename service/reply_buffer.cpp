#include "service/reply_buffer.h"

#include <cstring>

void ReplyBuffer::Append(const char* data, size_t size) {
  if (received_ + size >= storage_.size()) storage_.resize(2 * (received_ + size), '\0');
  std::memcpy(storage_.data() + received_, data, size);
  received_ += size;
}

std::string ReplyBuffer::Text() const { return std::string(storage_.data()); }
