// Windows-side helpers for tests that drive the real screensaver: start it, wait for
// its windows and its exit, read and dismiss message boxes, send input, use the
// registry and capture the screen. Every wait is bounded.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Polls condition every few milliseconds until it holds or timeoutMs pass.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// This thread's cursor display count (below 0: hidden), left as it was.
int CursorDisplayCount();

// A started process; the destructor terminates it if it still runs.
class CTestProcess {
 public:
  CTestProcess() = default;
  ~CTestProcess();
  CTestProcess(const CTestProcess&) = delete;
  CTestProcess& operator=(const CTestProcess&) = delete;

  // Starts program with the command line "\"program\" arguments", both in UTF-8.
  bool Start(const std::string& program, const std::string& arguments);
  // Waits for the exit; false on time-out.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
  bool IsRunning() const;
  DWORD Id() const { return m_info.dwProcessId; }
  void Terminate();

 private:
  PROCESS_INFORMATION m_info{};
};

// Top-level windows of process pid (0: any process) with the given class and
// title (null: any), visible ones only when visibleOnly is set.
std::vector<HWND> FindWindows(DWORD pid, const char* className, const char* title,
                              bool visibleOnly = true);
// Waits for the first such window; null on time-out.
HWND WaitForWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs);

std::string WindowText(HWND window);
// The message of a message box: the text of its Static children that is not empty.
std::string MessageBoxText(HWND box);
// Presses the box's default button.
void DismissMessageBox(HWND box);

// Input through the system's input queue.
void SendMouseMove(int dx, int dy);
void SendKey(WORD virtualKey);

// Registry values below HKEY_CURRENT_USER.
bool ReadRegistryDword(const std::string& key, const char* name, DWORD* value, DWORD* type);
// A REG_SZ value; false when the key or value is missing or holds another type.
bool ReadRegistryString(const std::string& key, const char* name, std::string* value);
bool WriteRegistryValue(const std::string& key, const char* name, DWORD type, const void* data,
                        DWORD size);
bool WriteRegistryDword(const std::string& key, const char* name, DWORD value);
void DeleteRegistryTree(const std::string& key);
bool RegistryKeyExists(const std::string& key);

// The primary screen as 32-bit BGRA pixels, rows top to bottom.
struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
ScreenImage CaptureScreen();

// The Windows path of the screensaver under test (environment variable QUILL_SCR,
// set by the test registration).
std::string ScreensaverPath();
// Folder for files the tests write, under the build tree (QUILL_SCRATCH).
std::string ScratchFolder();

// A window's client area as the window's own device context shows it, rows top to
// bottom (a window of another process shows only what reached the screen).
ScreenImage CaptureClient(HWND window);
// A rectangle of the screen.
ScreenImage CaptureScreenRect(const RECT& rect);
// An uncompressed 24-bit BMP file of one colour (0xRRGGBB).
std::string SolidBitmapFile(int width, int height, uint32_t rgb);
// Dispatches this thread's messages until condition holds or timeoutMs pass; for tests
// whose own windows receive messages sent by the program under test.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Channels of two 0xXXRRGGBB pixels differ by at most tolerance.
bool ColoursMatch(uint32_t a, uint32_t b, int tolerance);

// The message boxes (dialog windows) that process pid shows now.
std::vector<HWND> FindMessageBoxes(DWORD pid);
// How WaitForExitWatchingBoxes ended.
enum class ExitWait { Exited, BoxShown, TimedOut };
// Waits up to timeoutMs for the process to exit while watching for its message boxes.
// Exited sets *exitCode; BoxShown (the box is left open) sets *boxText to its caption
// and message, so a test can fail at once with what the program said.
ExitWait WaitForExitWatchingBoxes(CTestProcess& process, DWORD timeoutMs, DWORD* exitCode,
                                  std::string* boxText);

// Puts the cursor at (x, y) in virtual-screen pixels through the input queue, as an
// absolute move: Wine accelerates relative moves, which would change their length.
void MoveCursorTo(int x, int y);

// The monitors' rectangles, the primary first.
std::vector<RECT> MonitorRects();
// The primary display's current mode.
struct DisplayModeReading {
  DWORD width = 0;
  DWORD height = 0;
  DWORD bitsPerPixel = 0;
};
// Read by a new process (the program QUILL_MODE_PROBE names): Wine keeps answering a
// process that has run for a while with the mode it saw first. All zero on failure.
DisplayModeReading CurrentDisplayMode();

// Sets a registry value that makes Wine treat a DLL as absent for one program name
// (e.g. "no-mpr.scr"); DeleteDllOverride removes the program's overrides again.
bool DisableDllFor(const std::string& programName, const char* dll);
// Gives a DLL a load order for one program name: "native,builtin" is the Windows
// search order, the program's folder first.
bool SetDllOverride(const std::string& programName, const char* dll, const char* loadOrder);
void DeleteDllOverrides(const std::string& programName);
