// A thread that prepares the slideshow's next picture while the current one shows:
// archive read, decryption and inflation, decoding, scaling and the mip chain, into
// system memory. It touches no device; the render thread makes the texture.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "data/file_data.h"
#include "render/image_decoder.h"

class CDecodeWorker {
 public:
  // Reads a file by name (the content archive in the program); null when it cannot
  // or when `stop` turns true while it reads.
  using FileReader =
      std::function<std::unique_ptr<IFileData>(const char* name, const std::atomic<bool>* stop)>;

  // The thread starts with the first job. Without a reader the process-wide content
  // archive is read.
  explicit CDecodeWorker(FileReader reader = nullptr);
  // Stops as Stop does.
  ~CDecodeWorker();
  CDecodeWorker(const CDecodeWorker&) = delete;
  CDecodeWorker& operator=(const CDecodeWorker&) = delete;

  // Starts preparing file `name` as `request` asks (its stop flag is the worker's
  // own). A job still running or a result not yet taken is dropped first.
  void Begin(const std::string& name, const ImageRequest& request);
  // True once the job has finished; `image` then holds its levels, none when the file
  // was missing or could not be decoded, and the worker is idle again. False while
  // the job runs or when none was begun.
  bool Take(DecodedImage& image);
  // Drops the job and any result; the thread waits for the next one.
  void Cancel();
  // Tells the thread to end without waiting for it: a read or decode in progress
  // gives up at its next block, row or scan. Begin afterwards does nothing. Owners of
  // several workers tell every one before joining any.
  void RequestStop();
  // RequestStop, then waits for the thread, which is no longer than that.
  void Stop();

 private:
  enum class State { kIdle, kQueued, kRunning, kDone };

  void Run();
  // Drops the job and the result; the caller holds m_lock.
  void DropLocked();

  FileReader m_reader;
  std::mutex m_lock;
  std::condition_variable m_wake;
  std::thread m_thread;
  State m_state = State::kIdle;  // guarded by m_lock
  std::string m_name;            // the file of the queued or running job
  ImageRequest m_request;
  std::unique_ptr<DecodedImage> m_result;  // the finished job's image, at most one
  bool m_exit = false;                     // the thread is to end
  std::atomic<bool> m_abandon{false};      // the running decode is no longer wanted
};
