// The program file's icon resources, as a resource compiler binds them in: the build generates
// one table per icon (a PNG picture for each size) into the program's sources, and each table
// registers itself before main. LoadIconW then finds it by number.
#pragma once

#include <cstddef>

#include "win/types.h"

namespace win {

struct IconPicture {
  const unsigned char* png;
  std::size_t size;
};

struct IconResource {
  WORD id;
  const IconPicture* pictures;
  std::size_t count;
};

// The resource's tables must live for the process; true, so that a constant can hold the call.
bool RegisterIconResource(const IconResource& resource);

}  // namespace win
