// The export's two file types, in the order the save dialog offers them.
#pragma once

#include <cstdint>
#include <string>

#include "runs/run_rows.h"
#include "services/text.h"

enum ExportType : std::int32_t {
  kExportDigestList = 0,  // name=DIGEST CR LF, the format md5.ini is read in
  kExportMd5sum = 1,      // lower-case digest, " *", name with "/", CR LF, as md5sum writes
};

// The save dialog's filter: description|pattern for each type.
Text ExportFilter();
// The file's bytes for the rows of a run (none: null), in their own order,
// named as the list shows them (`verifying`, the coordinator's mode),
// relative to the export file's folder when inside it; `leftOut` counts
// the rows without a final digest.
std::string ExportedListBytes(const RunRows* rows, bool verifying, ExportType type,
                              const std::wstring& exportFolder, std::int32_t* leftOut);
