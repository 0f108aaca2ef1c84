// The decode worker: one job at a time, at most one finished image waiting, and a
// stop flag that the decoder checks between rows so that ending a run never waits
// for a whole picture.
#include "render/decode_worker.h"

#include <new>
#include <system_error>
#include <utility>

#include "base/thread_priority.h"
#include "data/content_archive.h"

namespace {

// Reads and decodes one file; the levels stay empty when either step fails. Nothing
// escapes: an exception from the reader or the decoder (memory running out while the
// archive folds a name or allocates an entry) is one more failed picture, and the
// thread must live on for the next job.
void Prepare(const CDecodeWorker::FileReader& reader, const std::string& name,
             const ImageRequest& request, DecodedImage& image) {
  try {
    // The file's bytes live only until the pixels are decoded.
    std::unique_ptr<IFileData> file = reader(name.c_str(), request.stop);
    if (!file || file->GetData() == nullptr) return;
    DecodeImage(file->GetData(), static_cast<size_t>(file->GetSize()), request, image);
  } catch (...) {
    image = DecodedImage{};
  }
}

}  // namespace

CDecodeWorker::CDecodeWorker(FileReader reader) : m_reader(std::move(reader)) {
  if (!m_reader) {
    m_reader = [](const char* name, const std::atomic<bool>* stop) {
      return ReadArchiveFile(name, false, stop);
    };
  }
}

CDecodeWorker::~CDecodeWorker() { Stop(); }

void CDecodeWorker::Begin(const std::string& name, const ImageRequest& request) {
  std::unique_lock<std::mutex> hold(m_lock);
  if (m_exit) return;
  DropLocked();
  m_name = name;
  m_request = request;
  m_state = State::kQueued;
  if (!m_thread.joinable()) {
    try {
      m_thread = std::thread(&CDecodeWorker::Run, this);
    } catch (const std::system_error&) {
      // No thread to be had: the picture is prepared here, as it was before there
      // was a worker, rather than never.
      auto image = std::make_unique<DecodedImage>();
      m_abandon = false;
      m_request.stop = &m_abandon;
      Prepare(m_reader, m_name, m_request, *image);
      m_result = std::move(image);
      m_state = State::kDone;
      return;
    }
  }
  hold.unlock();
  m_wake.notify_one();
}

bool CDecodeWorker::Take(DecodedImage& image) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_state != State::kDone) return false;
  image = m_result ? std::move(*m_result) : DecodedImage{};
  m_result.reset();
  m_state = State::kIdle;
  return true;
}

void CDecodeWorker::Cancel() {
  std::lock_guard<std::mutex> hold(m_lock);
  DropLocked();
}

void CDecodeWorker::RequestStop() {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_exit = true;
    DropLocked();
  }
  m_wake.notify_one();
}

void CDecodeWorker::Stop() {
  RequestStop();
  if (m_thread.joinable()) m_thread.join();
}

void CDecodeWorker::DropLocked() {
  // A running decode sees the flag at its next row and its result is then thrown
  // away by Run, which finds the state changed.
  if (m_state == State::kRunning) m_abandon = true;
  m_result.reset();
  m_state = State::kIdle;
}

void CDecodeWorker::Run() {
  // The picture has the whole keep time; frames and input must not wait for it.
  LowerThisThreadPriority();
  std::unique_lock<std::mutex> hold(m_lock);
  for (;;) {
    m_wake.wait(hold, [this] { return m_exit || m_state == State::kQueued; });
    if (m_exit) return;
    m_state = State::kRunning;
    m_abandon = false;
    // The job's name moves out rather than being copied: no allocation here that
    // could throw past the loop.
    const std::string name = std::move(m_name);
    ImageRequest request = m_request;
    request.stop = &m_abandon;
    hold.unlock();

    // Without memory for the result the job ends as a failed picture (null).
    std::unique_ptr<DecodedImage> image(new (std::nothrow) DecodedImage);
    if (image) Prepare(m_reader, name, request, *image);

    hold.lock();
    // Begin or Cancel while it ran moved the state on: the picture is not wanted.
    if (m_state == State::kRunning) {
      m_result = std::move(image);
      m_state = State::kDone;
    }
  }
}
