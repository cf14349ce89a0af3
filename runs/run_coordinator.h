// RunCoordinator: the one owner of what the program knows about its files
// and its runs. The shell creates one at start-up and hands it to whoever
// uses it: the window, the list, the exports, the workers.
//
// How it works: the window thread appends the listed files (filePaths),
// decides the mode, starts runs and asks for stops; each run's rows (and
// their counts) are built from the entries of that moment. The workers of
// workerPool reach the coordinator through the context the pool hands
// them, hash the current run's rows and publish what they reach there
// (runs/run_publication.h); the window thread takes it at its own pace.
// The workers hold this object: it must outlive them (its destructor stops
// a running pool, and the program ends its process without destroying it).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/completion_port_pool.h"
#include "runs/file_list.h"
#include "runs/run_publication.h"
#include "runs/run_rows.h"
#include "runs/run_work.h"

class RunCoordinator {
 public:
  RunCoordinator();
  ~RunCoordinator();
  RunCoordinator(const RunCoordinator&) = delete;
  RunCoordinator& operator=(const RunCoordinator&) = delete;

  // The files to hash, appended by intake and replaced by a verified list;
  // each entry keeps its expected digest (the design's expectedDigests), so
  // a row is judged by its own entry. Window thread; Count any thread.
  FileList filePaths;
  // 0 or 1: written by the window thread, read by every worker before
  // each chunk.
  std::atomic<std::int32_t> stopRequested{0};
  // Workers asked of workerPool when a run first starts it: twice the
  // processors.
  std::int32_t workerThreadCount = 0;
  CompletionPortPool workerPool;
  // Verifying a list: rows show the list's names, the counts its verdicts.
  // Window thread.
  bool verificationMode = false;
  // The verified list's folder, which its names are relative to.
  std::wstring verifiedListFolder;

  // Window thread. A run of every listed file, the current one from now on.
  void StartPooledRun();
  // A run over the rows of `previous` that reads only those `keep` refuses;
  // the others keep what `previous` found. False when every row is kept.
  bool StartPooledRunAgain(const RunRows& previous, const std::function<bool(const RowSnapshot&)>& keep);
  void RequestStop();
  // Once every row of the current run is done or failed, `settled` is
  // called on the worker that settled it, with the run's generation; it
  // must not wait for the window.
  void NotifyWhenRunSettles(std::function<void(std::uint32_t generation)> settled);
  // The label's two numbers as the last finished file left them; true once
  // per change.
  bool TakeLabelChange(std::int32_t& total, std::int32_t& count);
  // 进度条1's position from the chunk finished last, 0..100; -1 when no
  // chunk was finished since the last call.
  std::int32_t TakeProgressBarChange();

  // Any thread. The rows of the latest run (null before the first).
  std::shared_ptr<RunRows> CurrentRunRows() const;
  bool IsCurrentRun(std::uint32_t generation) const;
  // The runs' chunk buffers, files in flight and open-file counts.
  const RunResources& Resources() const { return resources_; }
  RunResources& Resources() { return resources_; }

 private:
  // The work routine: (run generation, the item's rank among the run's items).
  static void DigestFile(void* coordinator, std::uint32_t generation, std::uint32_t rank);
  void HashRowsOfRun(std::uint32_t generation, std::uint32_t rank);
  bool StartPool();
  void StartRows(std::shared_ptr<RunRows> rows);

  CurrentRun current_;
  RunResources resources_;
};
