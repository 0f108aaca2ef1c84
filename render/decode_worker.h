// A thread that prepares the slideshow's next picture while the current one shows:
// archive read, decryption and inflation, decoding, scaling and the mip chain, into
// system memory. It touches no device; the render thread makes the texture. While it
// has no picture to prepare it reads the pictures' headers for their shapes, which
// the slideshow's pairing asks for without a frame waiting.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "data/file_data.h"
#include "render/image_decoder.h"
#include "render/picture_placement.h"

// The bytes read of a picture for its shape: its header, past a camera's metadata.
// A header beyond them is read with the whole file.
constexpr size_t kShapeReadBytes = size_t{256} << 10;

class CDecodeWorker {
 public:
  // Reads a file by name (the content archive in the program), only its first `limit`
  // bytes when limit is above 0; null when it cannot or when `stop` turns true while it
  // reads.
  using FileReader = std::function<std::unique_ptr<IFileData>(
      const char* name, const std::atomic<bool>* stop, size_t limit)>;

  // The process-wide content archive's reader.
  static FileReader ArchiveReader();

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
  // As Begin, for a pair: files `name` and `partner` composed side by side into one
  // picture of the request's screen size (slide_composer.h). When one of the two
  // cannot be decoded, the other is prepared alone as Begin would.
  void BeginPair(const std::string& name, const std::string& partner, const ImageRequest& request);
  // True once the job has finished; `image` then holds its levels, none when the file
  // was missing or could not be decoded, and the worker is idle again. False while
  // the job runs or when none was begun.
  bool Take(DecodedImage& image);
  // Drops the job and any result; the thread waits for the next one.
  void Cancel();
  // Reads the shape of each file of `names` (index i: names[i]) in turn whenever no
  // job waits. Once only: a later call does nothing.
  void ScanShapes(std::vector<std::string> names);
  // The shape of names[index] once read; Unknown before, for an unreadable file and
  // beyond the list.
  PictureShape GetShape(size_t index) const;
  // Tells the thread to end without waiting for it: a read or decode in progress
  // gives up at its next block, row or scan. Begin afterwards does nothing. Owners of
  // several workers tell every one before joining any.
  void RequestStop();
  // RequestStop, then waits for the thread, which is no longer than that.
  void Stop();

 private:
  enum class State { kIdle, kQueued, kRunning, kDone };

  void Run();
  // Starts the thread when it is not running; false when no thread can be had. The
  // caller holds m_lock.
  bool StartLocked();
  // Drops the job and the result; the caller holds m_lock.
  void DropLocked();
  bool HasShapeToReadLocked() const { return m_nextShape < m_shapeNames.size(); }

  FileReader m_reader;
  std::mutex m_lock;
  std::condition_variable m_wake;
  std::thread m_thread;
  State m_state = State::kIdle;  // guarded by m_lock
  std::string m_name;            // the file of the queued or running job
  std::string m_partner;         // its pair's second file; empty for a single picture
  ImageRequest m_request;
  std::unique_ptr<DecodedImage> m_result;  // the finished job's image, at most one
  bool m_exit = false;                     // the thread is to end
  std::atomic<bool> m_abandon{false};      // the running decode is no longer wanted
  std::atomic<bool> m_stopping{false};     // RequestStop ran: a header read gives up
  // Set once by ScanShapes, which alone writes them: the caller's thread reads them
  // without the lock, the worker under it.
  std::vector<std::string> m_shapeNames;
  std::unique_ptr<std::atomic<PictureShape>[]> m_shapes;  // one per name
  size_t m_nextShape = 0;  // guarded by m_lock: the next name to read
};

// What a job does, on the caller's thread: file `name` decoded as `request` asks, or,
// with a partner, both composed side by side into one picture of the request's screen
// size (slide_composer.h); when one of the two cannot be decoded, the other alone.
void PrepareSlide(const CDecodeWorker::FileReader& reader, const std::string& name,
                  const std::string& partner, const ImageRequest& request, DecodedImage& image);
