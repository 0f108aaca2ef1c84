// The decode worker: one job at a time, at most one finished image waiting, and a
// stop flag that the decoder checks between rows so that ending a run never waits
// for a whole picture.
#include "render/decode_worker.h"

#include <new>
#include <system_error>
#include <utility>

#include "base/thread_priority.h"
#include "data/content_archive.h"
#include "render/slide_composer.h"

namespace {

// Reads and decodes one file; the levels stay empty when either step fails. Nothing
// escapes: an exception from the reader or the decoder (memory running out while the
// archive folds a name or allocates an entry) is one more failed picture, and the
// thread must live on for the next job.
void PrepareOne(const CDecodeWorker::FileReader& reader, const std::string& name,
                const ImageRequest& request, DecodedImage& image) {
  try {
    // The file's bytes live only until the pixels are decoded.
    std::unique_ptr<IFileData> file = reader(name.c_str(), request.stop, 0);
    if (!file || file->GetData() == nullptr) return;
    DecodeImage(file->GetData(), static_cast<size_t>(file->GetSize()), request, image);
  } catch (...) {
    image = DecodedImage{};
  }
}

}  // namespace

void PrepareSlide(const CDecodeWorker::FileReader& reader, const std::string& name,
                  const std::string& partner, const ImageRequest& request, DecodedImage& image) {
  if (partner.empty()) return PrepareOne(reader, name, request, image);
  const ImageRequest half = PairHalfRequest(request);
  DecodedImage first, second;
  PrepareOne(reader, name, half, first);
  PrepareOne(reader, partner, half, second);
  if (request.stop && request.stop->load()) return;
  if (!first.levels.empty() && !second.levels.empty()) {
    image.pair = ComposePair(first, second, request, image);
    return;
  }
  PrepareOne(reader, first.levels.empty() ? partner : name, request, image);
  image.partnerAlone = first.levels.empty();
}

namespace {

// A picture's shape from its header: the file's first bytes, or the whole file when
// the header lies beyond them. Unknown when it cannot be read; nothing escapes.
PictureShape ReadShape(const CDecodeWorker::FileReader& reader, const std::string& name,
                       const std::atomic<bool>* stop) {
  try {
    for (const size_t limit : {kShapeReadBytes, size_t{0}}) {
      std::unique_ptr<IFileData> file = reader(name.c_str(), stop, limit);
      if (!file || file->GetData() == nullptr) return PictureShape::Unknown;
      const auto size = static_cast<size_t>(file->GetSize());
      ImageInfo info;
      if (ReadImageInfo(file->GetData(), size, info)) return ClassifyShape(info.width, info.height);
      if (size < limit) return PictureShape::Unknown;  // the whole file, unreadable
    }
  } catch (...) {
  }
  return PictureShape::Unknown;
}

}  // namespace

CDecodeWorker::FileReader CDecodeWorker::ArchiveReader() {
  return [](const char* name, const std::atomic<bool>* stop, size_t limit) {
    return ReadArchiveFile(name, false, stop, limit);
  };
}

CDecodeWorker::CDecodeWorker(FileReader reader)
    : m_reader(reader ? std::move(reader) : ArchiveReader()) {}

CDecodeWorker::~CDecodeWorker() { Stop(); }

void CDecodeWorker::Begin(const std::string& name, const ImageRequest& request) {
  BeginPair(name, std::string(), request);
}

void CDecodeWorker::BeginPair(const std::string& name, const std::string& partner,
                              const ImageRequest& request) {
  std::unique_lock<std::mutex> hold(m_lock);
  if (m_exit) return;
  DropLocked();
  m_name = name;
  m_partner = partner;
  m_request = request;
  m_state = State::kQueued;
  if (!StartLocked()) {
    // No thread to be had: the picture is prepared here, as it was before there was a
    // worker, rather than never.
    auto image = std::make_unique<DecodedImage>();
    m_abandon = false;
    m_request.stop = &m_abandon;
    PrepareSlide(m_reader, m_name, m_partner, m_request, *image);
    m_result = std::move(image);
    m_state = State::kDone;
    return;
  }
  hold.unlock();
  m_wake.notify_one();
}

bool CDecodeWorker::StartLocked() {
  if (m_thread.joinable()) return true;
  try {
    m_thread = std::thread(&CDecodeWorker::Run, this);
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void CDecodeWorker::ScanShapes(std::vector<std::string> names) {
  std::unique_lock<std::mutex> hold(m_lock);
  if (m_exit || m_shapes) return;
  m_shapes.reset(new (std::nothrow) std::atomic<PictureShape>[names.size()]);
  if (!m_shapes) return;
  for (size_t i = 0; i < names.size(); ++i) m_shapes[i] = PictureShape::Unknown;
  m_shapeNames = std::move(names);
  m_nextShape = 0;
  // Without a thread the shapes stay unknown: pictures are then shown alone.
  if (!StartLocked()) return;
  hold.unlock();
  m_wake.notify_one();
}

PictureShape CDecodeWorker::GetShape(size_t index) const {
  return index < m_shapeNames.size() ? m_shapes[index].load() : PictureShape::Unknown;
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
  m_stopping = true;
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
    m_wake.wait(hold,
                [this] { return m_exit || m_state == State::kQueued || HasShapeToReadLocked(); });
    if (m_exit) return;
    if (m_state != State::kQueued) {
      // No picture is wanted: one header, then a look for a job again.
      const size_t index = m_nextShape++;
      const std::string& name = m_shapeNames[index];  // never changes once set
      hold.unlock();
      m_shapes[index] = ReadShape(m_reader, name, &m_stopping);
      hold.lock();
      continue;
    }
    m_state = State::kRunning;
    m_abandon = false;
    // The job's names move out rather than being copied: no allocation here that
    // could throw past the loop.
    const std::string name = std::move(m_name);
    const std::string partner = std::move(m_partner);
    ImageRequest request = m_request;
    request.stop = &m_abandon;
    hold.unlock();

    // Without memory for the result the job ends as a failed picture (null).
    std::unique_ptr<DecodedImage> image(new (std::nothrow) DecodedImage);
    if (image) PrepareSlide(m_reader, name, partner, request, *image);

    hold.lock();
    // Begin or Cancel while it ran moved the state on: the picture is not wanted.
    if (m_state == State::kRunning) {
      m_result = std::move(image);
      m_state = State::kDone;
    }
  }
}
