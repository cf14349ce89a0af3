// The text of 标签_统计: what the shown run has reached, and while it goes
// on, its speed and the time it has left.
#pragma once

#include <cstdint>

#include "runs/run_rows.h"
#include "services/text.h"

// Verifying: "通过:N 错误:N 失败:N 待处理:N"; hashing: "完成:N 失败:N".
// While rows are unsettled, the bytes per second and "剩余 m:ss" follow,
// once a second of the run has passed.
Text CountsText(const RunCounts& counts, bool verifying, std::uint64_t elapsedMs);
