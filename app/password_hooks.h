// The screensaver password hooks of the Windows 9x family: when the check at the end
// of a run asks for the password, and when the password change calls the system's
// dialog. The decisions run over a seam of system calls so that they are tested
// without the system (Wine, like every NT system, never takes the 9x path).
#pragma once

#include <cstdint>

// Platform identifier of the Windows 9x family (VER_PLATFORM_WIN32_WINDOWS).
constexpr unsigned long kPlatformWindows9x = 1;

// The system libraries and functions the hooks load by name at run time.
constexpr char kVerifyLibrary[] = "PASSWORD.CPL";
constexpr char kVerifyFunction[] = "VerifyScreenSavePwd";
constexpr char kChangeLibrary[] = "MPR.DLL";
constexpr char kChangeFunction[] = "PwdChangePasswordA";
// The password provider whose password the change dialog edits.
constexpr char kChangeProvider[] = "SCRSAVE";
// Where the system keeps whether the screensaver asks for a password.
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kUsePasswordValue[] = "ScreenSaveUsePassword";

// The system services the hooks need. Libraries and functions are opaque handles;
// owner is the window handle the dialogs belong to.
class IPasswordSystem {
 public:
  // The running system's platform identifier; false when the query fails.
  virtual bool QueryPlatform(unsigned long* platformId) = 0;
  // "ScreenSaveUsePassword" as a 32-bit value (a shorter value zero-extended); false
  // when the key or the value is missing or cannot be read.
  virtual bool QueryUsePassword(uint32_t* value) = 0;
  // Null when the library cannot be loaded.
  virtual void* Load(const char* library) = 0;
  // Null when the library does not export the function.
  virtual void* Find(void* library, const char* function) = 0;
  virtual void Free(void* library) = 0;
  // Calls the verification function; 1 means the password was accepted.
  virtual long CallVerify(void* function, void* owner) = 0;
  // Calls the change function with the provider name, the owner, 0 and 0.
  virtual void CallChange(void* function, const char* provider, void* owner) = 0;
  virtual void SetScreenSaverRunning(bool on) = 0;

 protected:
  ~IPasswordSystem() = default;
};

// Returns when no password is required or the user has entered the right one. Acts
// only on the 9x family with "ScreenSaveUsePassword" set; the user cannot cancel.
void VerifyScreenSaverPassword(IPasswordSystem& system, void* owner);

// Shows the system's password-change dialog; does nothing where the library or its
// function is missing.
void ChangeScreenSaverPassword(IPasswordSystem& system, void* owner);
