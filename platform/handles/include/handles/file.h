// An owned C stream, closed when it goes. A caller that must know whether the close succeeded
// (the data reached the file) closes it itself with std::fclose(file.release()).
#pragma once

#include <cstdio>
#include <memory>

namespace handles {

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

using File = std::unique_ptr<std::FILE, FileClose>;

}  // namespace handles
