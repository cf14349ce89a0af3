// The export's two file types, in the order the save dialog offers them.
#pragma once

#include <cstdint>

#include "services/text.h"

enum ExportType : std::int32_t {
  kExportDigestList = 0,  // name=DIGEST CR LF, the format md5.ini is read in
  kExportMd5sum = 1,      // lower-case digest, " *", name with "/", CR LF, as md5sum writes
};

// The save dialog's filter: description|pattern for each type.
Text ExportFilter();
