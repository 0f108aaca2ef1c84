// Windows-side helpers for tests that drive the real screensaver.
#include "tests/win/support/saver_harness.h"

#include <cstdlib>
#include <cstring>

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
    Sleep(10);
  }
}

CTestProcess::~CTestProcess() { Terminate(); }

namespace {
// UTF-16 of UTF-8 text, through the system's own conversion (not the engine's).
std::wstring Utf8ToWide(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], length);
  wide.resize(wide.size() - 1);
  return wide;
}
}  // namespace

bool CTestProcess::Start(const std::string& program, const std::string& arguments) {
  Terminate();
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring buffer = Utf8ToWide(commandLine);
  return CreateProcessW(Utf8ToWide(program).c_str(), &buffer[0], nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &m_info) != FALSE;
}

bool CTestProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (m_info.hProcess == nullptr) return false;
  if (WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode != nullptr) GetExitCodeProcess(m_info.hProcess, exitCode);
  return true;
}

bool CTestProcess::IsRunning() const {
  return m_info.hProcess != nullptr && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

void CTestProcess::Terminate() {
  if (m_info.hProcess == nullptr) return;
  if (IsRunning()) {
    TerminateProcess(m_info.hProcess, 99);
    WaitForSingleObject(m_info.hProcess, 5000);
  }
  CloseHandle(m_info.hThread);
  CloseHandle(m_info.hProcess);
  m_info = PROCESS_INFORMATION{};
}

namespace {
struct WindowQuery {
  DWORD pid;
  const char* className;
  const char* title;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
  auto* query = reinterpret_cast<WindowQuery*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (query->pid != 0 && pid != query->pid) return TRUE;
  if (query->visibleOnly && !IsWindowVisible(window)) return TRUE;
  if (query->className != nullptr) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, query->className) != 0) return TRUE;
  }
  if (query->title != nullptr && WindowText(window) != query->title) return TRUE;
  query->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM parameter) {
  char name[64] = {};
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, "Static") == 0) {
    std::string text = WindowText(child);
    auto* out = reinterpret_cast<std::string*>(parameter);
    if (!text.empty() && out->empty()) *out = text;
  }
  return TRUE;
}
}  // namespace

std::vector<HWND> FindWindows(DWORD pid, const char* className, const char* title,
                              bool visibleOnly) {
  WindowQuery query{pid, className, title, visibleOnly, {}};
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND WaitForWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        std::vector<HWND> found = FindWindows(pid, className, title);
        if (!found.empty()) window = found.front();
        return window != nullptr;
      },
      timeoutMs);
  return window;
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  // WM_GETTEXT works across processes for standard controls, unlike GetWindowText.
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

std::string MessageBoxText(HWND box) {
  std::string text;
  EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

void DismissMessageBox(HWND box) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

void SendMouseMove(int dx, int dy) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof input);
}

void SendKey(WORD virtualKey) {
  INPUT inputs[2]{};
  inputs[0].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = virtualKey;
  inputs[1] = inputs[0];
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof inputs[0]);
}

bool ReadRegistryDword(const std::string& key, const char* name, DWORD* value, DWORD* type) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  DWORD size = sizeof *value;
  const LONG result =
      RegQueryValueExA(handle, name, nullptr, type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

bool ReadRegistryString(const std::string& key, const char* name, std::string* value) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  char text[1024] = {};
  DWORD size = sizeof text - 1;
  DWORD type = 0;
  const LONG result =
      RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS || type != REG_SZ) return false;
  *value = text;
  return true;
}

bool WriteRegistryValue(const std::string& key, const char* name, DWORD type, const void* data,
                        DWORD size) {
  HKEY handle = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG result = RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

bool WriteRegistryDword(const std::string& key, const char* name, DWORD value) {
  return WriteRegistryValue(key, name, REG_DWORD, &value, sizeof value);
}

void DeleteRegistryTree(const std::string& key) { RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }

bool RegistryKeyExists(const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  RegCloseKey(handle);
  return true;
}

ScreenImage CaptureScreen() {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return CaptureScreenRect(screen);
}

std::string ScreensaverPath() {
  const char* value = std::getenv("QUILL_SCR");
  return value != nullptr ? value : "";
}

std::string ScratchFolder() {
  const char* value = std::getenv("QUILL_SCRATCH");
  return value != nullptr ? value : ".";
}

namespace {
ScreenImage CaptureFromDc(HDC source, int left, int top, int width, int height) {
  ScreenImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, 0);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
    GdiFlush();
    std::memcpy(image.pixels.data(), bits, image.pixels.size() * sizeof(uint32_t));
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  return image;
}
}  // namespace

ScreenImage CaptureClient(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  ScreenImage image = CaptureFromDc(dc, 0, 0, client.right, client.bottom);
  ReleaseDC(window, dc);
  return image;
}

ScreenImage CaptureScreenRect(const RECT& rect) {
  HDC screen = GetDC(nullptr);
  ScreenImage image =
      CaptureFromDc(screen, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  ReleaseDC(nullptr, screen);
  return image;
}

std::string SolidBitmapFile(int width, int height, uint32_t rgb) {
  const int rowBytes = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + rowBytes * height;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  std::string row(rowBytes, '\0');
  for (int x = 0; x < width; ++x) {
    row[x * 3 + 0] = static_cast<char>(rgb & 0xFF);
    row[x * 3 + 1] = static_cast<char>((rgb >> 8) & 0xFF);
    row[x * 3 + 2] = static_cast<char>((rgb >> 16) & 0xFF);
  }
  for (int y = 0; y < height; ++y) bytes += row;
  return bytes;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
          TranslateMessage(&message);
          DispatchMessageA(&message);
        }
        return condition();
      },
      timeoutMs);
}

bool ColoursMatch(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int difference =
        static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (difference > tolerance || difference < -tolerance) return false;
  }
  return true;
}

std::vector<HWND> FindMessageBoxes(DWORD pid) { return FindWindows(pid, "#32770", nullptr); }

ExitWait WaitForExitWatchingBoxes(CTestProcess& process, DWORD timeoutMs, DWORD* exitCode,
                                  std::string* boxText) {
  ExitWait result = ExitWait::TimedOut;
  WaitUntil(
      [&] {
        if (process.WaitForExit(0, exitCode)) {
          result = ExitWait::Exited;
          return true;
        }
        const std::vector<HWND> boxes = FindMessageBoxes(process.Id());
        if (boxes.empty()) return false;
        *boxText =
            "\"" + WindowText(boxes.front()) + "\": \"" + MessageBoxText(boxes.front()) + "\"";
        result = ExitWait::BoxShown;
        return true;
      },
      timeoutMs);
  return result;
}

void MoveCursorTo(int x, int y) {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  // Normalised coordinates: 0 .. 65535 spans the first to the last pixel.
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(x - left, 65535, width - 1);
  input.mi.dy = MulDiv(y - top, 65535, height - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  SendInput(1, &input, sizeof input);
}

namespace {
BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM parameter) {
  auto* rects = reinterpret_cast<std::vector<RECT>*>(parameter);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  if (info.dwFlags & MONITORINFOF_PRIMARY)
    rects->insert(rects->begin(), info.rcMonitor);
  else
    rects->push_back(info.rcMonitor);
  return TRUE;
}

std::string DllOverridesKey(const std::string& programName) {
  return "Software\\Wine\\AppDefaults\\" + programName + "\\DllOverrides";
}
}  // namespace

std::vector<RECT> MonitorRects() {
  std::vector<RECT> rects;
  EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&rects));
  return rects;
}

DisplayModeReading CurrentDisplayMode() {
  const char* probePath = std::getenv("QUILL_MODE_PROBE");
  CTestProcess probe;
  DWORD code = 0;
  if (probePath == nullptr || !probe.Start(probePath, "") || !probe.WaitForExit(10000, &code))
    return {};
  return {code >> 20 & 0xFFF, code >> 8 & 0xFFF, code & 0xFF};
}

bool SetDllOverride(const std::string& programName, const char* dll, const char* loadOrder) {
  return WriteRegistryValue(DllOverridesKey(programName), dll, REG_SZ, loadOrder,
                            static_cast<DWORD>(strlen(loadOrder) + 1));
}

bool DisableDllFor(const std::string& programName, const char* dll) {
  // An empty string is Wine's "disabled": neither its own nor a native copy loads.
  return SetDllOverride(programName, dll, "");
}

void DeleteDllOverrides(const std::string& programName) {
  DeleteRegistryTree("Software\\Wine\\AppDefaults\\" + programName);
}

int CursorDisplayCount() {
  const int count = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  return count;
}
