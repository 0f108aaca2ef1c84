// The splash thread: loads the four splash pictures from the content archive, scaled
// to the target, and blends them into the target every 20 ms until stopped.
#include "ui/splash_thread.h"

#include <memory>
#include <vector>

#include "base/random.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "render/frame_timer.h"
#include "ui/dib_surface.h"
#include "ui/splash_animator.h"

namespace {
// Shared with the main thread without a lock: it writes, the thread only reads.
HANDLE g_splashThread = nullptr;
HWND g_splashTarget = nullptr;
HINSTANCE g_splashInstance = nullptr;
volatile LONG g_splashRunning = 0;

constexpr DWORD kStepPauseMs = 20;
constexpr int kStopPolls = 50;  // of 20 ms each before the thread is terminated

// The thread's pictures, output and animation state for one target.
struct SplashScene {
  std::vector<std::unique_ptr<CDibSurface>> pictures;
  CDibSurface output;
  std::unique_ptr<CSplashAnimator> animator;
};

// Loads the pictures that exist; a file that is no usable bitmap stays black.
void LoadScene(HWND target, SplashScene* scene) {
  RECT client{};
  GetClientRect(target, &client);
  // The surfaces are at least 8 x 8; the animation covers them whole.
  if (!scene->output.Create(client.right - client.left, client.bottom - client.top)) return;
  const int width = scene->output.GetWidth();
  const int height = scene->output.GetHeight();
  scene->animator = std::make_unique<CSplashAnimator>(width, height);
  for (const char* name : kSplashFileNames) {
    std::unique_ptr<IFileData> file = ReadArchiveFile(name, false);
    if (!file) continue;
    auto picture = std::make_unique<CDibSurface>();
    if (!picture->Create(width, height)) continue;
    picture->LoadBitmapFile(file->GetData(), file->GetSize());
    scene->animator->AddPicture(picture->GetBits());
    scene->pictures.push_back(std::move(picture));
  }
}

void Present(HWND target, const CDibSurface& output) {
  HDC window = GetDC(target);
  if (window == nullptr) return;
  HDC memory = CreateCompatibleDC(window);
  HGDIOBJ old = SelectObject(memory, output.GetBitmap());
  BitBlt(window, 0, 0, output.GetWidth(), output.GetHeight(), memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(target, window);
}

DWORD WINAPI SplashThreadBody(void*) {
  try {
    const HWND target = g_splashTarget;
    CFrameTimer timer;
    timer.Start();
    SplashScene scene;
    LoadScene(target, &scene);
    // This thread's own generator, seeded from how long loading took.
    SeedRandom(static_cast<unsigned int>(timer.Elapsed() * 1000.0));
    timer.Start();
    while (scene.animator && IsWindow(target) && g_splashRunning != 0) {
      // With no picture there is nothing to draw, and the thread ends.
      if (!scene.animator->Step(timer.Elapsed(), scene.output.GetBits())) break;
      GdiFlush();
      Present(target, scene.output);
      Sleep(kStepPauseMs);
    }
  } catch (...) {
    // The preview reports nothing; the thread simply ends.
  }
  return 0;
}
}  // namespace

HANDLE StartSplashThread(HWND target, HINSTANCE instance) {
  g_splashTarget = target;
  g_splashInstance = instance;
  g_splashThread = CreateThread(nullptr, 0, &SplashThreadBody, nullptr, CREATE_SUSPENDED, nullptr);
  g_splashRunning = g_splashThread != nullptr ? 1 : 0;
  return g_splashThread;
}

void ResumeSplashThread() {
  if (g_splashThread != nullptr) ResumeThread(g_splashThread);
}

void StopSplashThread() {
  g_splashRunning = 0;
  if (g_splashThread == nullptr) return;
  DWORD exitCode = 0;
  for (int polls = 0; GetExitCodeThread(g_splashThread, &exitCode) && exitCode == STILL_ACTIVE;) {
    Sleep(kStepPauseMs);
    if (++polls == kStopPolls) {
      TerminateThread(g_splashThread, 0);
      break;
    }
  }
  // Closed here so that repeated previews do not leak a handle each.
  CloseHandle(g_splashThread);
  g_splashThread = nullptr;
}
