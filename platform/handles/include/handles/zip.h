// Owning handles for skin archives and their entries. An archive that is let go is discarded:
// one that is written is closed explicitly with zip_close(archive.release()), which can fail.
#pragma once

#include <zip.h>

#include <memory>

namespace handles {

struct ZipRelease {
  void operator()(zip_t* archive) const { zip_discard(archive); }
  void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

using ZipArchive = std::unique_ptr<zip_t, ZipRelease>;
using ZipEntry = std::unique_ptr<zip_file_t, ZipRelease>;

}  // namespace handles
