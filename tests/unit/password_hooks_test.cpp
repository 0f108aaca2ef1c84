// The password hooks' decisions over a scripted system: which platform, registry value,
// library and function lead to which calls, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/password_hooks.h"

namespace {
// Answers as scripted and records every call.
class CScriptedPasswordSystem : public IPasswordSystem {
 public:
  bool platformKnown = true;
  unsigned long platform = kPlatformWindows9x;
  bool valuePresent = true;
  uint32_t usePassword = 1;
  bool libraryPresent = true;
  bool functionPresent = true;
  std::vector<long> verifyAnswers{1};  // the last one repeats
  std::vector<std::string> calls;

  bool QueryPlatform(unsigned long* platformId) override {
    calls.push_back("platform");
    *platformId = platform;
    return platformKnown;
  }
  bool QueryUsePassword(uint32_t* value) override {
    calls.push_back("value");
    *value = usePassword;
    return valuePresent;
  }
  void* Load(const char* library) override {
    calls.push_back(std::string("load ") + library);
    return libraryPresent ? &m_library : nullptr;
  }
  void* Find(void* library, const char* function) override {
    calls.push_back(std::string("find ") + function);
    EXPECT_EQ(library, &m_library);
    return functionPresent ? &m_function : nullptr;
  }
  void Free(void* library) override {
    calls.push_back("free");
    EXPECT_EQ(library, &m_library);
  }
  long CallVerify(void* function, void* owner) override {
    calls.push_back("verify");
    EXPECT_EQ(function, &m_function);
    EXPECT_EQ(owner, kOwner);
    const size_t at =
        m_verifyCalls < verifyAnswers.size() ? m_verifyCalls : verifyAnswers.size() - 1;
    ++m_verifyCalls;
    return verifyAnswers[at];
  }
  void CallChange(void* function, const char* provider, void* owner) override {
    calls.push_back(std::string("change ") + provider);
    EXPECT_EQ(function, &m_function);
    EXPECT_EQ(owner, kOwner);
  }
  void SetScreenSaverRunning(bool on) override {
    calls.push_back(on ? "running on" : "running off");
  }

  static inline void* const kOwner = reinterpret_cast<void*>(0x1234);

 private:
  int m_library = 0;
  int m_function = 0;
  size_t m_verifyCalls = 0;
};

using Calls = std::vector<std::string>;
}  // namespace

TEST(VerifyPassword, AsksOnlyOnThe9xFamilyWithThePasswordSwitchOn) {
  const Calls asked = {
      "platform", "value", "load PASSWORD.CPL", "running on", "find VerifyScreenSavePwd",
      "verify",   "free"};
  const struct {
    const char* name;
    void (*script)(CScriptedPasswordSystem&);
    Calls expected;
  } cases[] = {
      {"version query fails", [](auto& s) { s.platformKnown = false; }, {"platform"}},
      {"NT family", [](auto& s) { s.platform = 2; }, {"platform"}},
      {"Win32s", [](auto& s) { s.platform = 0; }, {"platform"}},
      {"value absent", [](auto& s) { s.valuePresent = false; }, {"platform", "value"}},
      {"value 0", [](auto& s) { s.usePassword = 0; }, {"platform", "value"}},
      {"library missing",
       [](auto& s) { s.libraryPresent = false; },
       {"platform", "value", "load PASSWORD.CPL", "running on"}},
      {"function missing",
       [](auto& s) { s.functionPresent = false; },
       {"platform", "value", "load PASSWORD.CPL", "running on", "find VerifyScreenSavePwd",
        "free"}},
      {"right at once", [](auto&) {}, asked},
      {"any nonzero value asks", [](auto& s) { s.usePassword = 0x100; }, asked},
  };
  for (const auto& c : cases) {
    CScriptedPasswordSystem system;
    c.script(system);
    VerifyScreenSaverPassword(system, CScriptedPasswordSystem::kOwner);
    EXPECT_EQ(system.calls, c.expected) << c.name;
  }
}

TEST(VerifyPassword, ACancelledOrWrongEntryAsksAgainUntilAccepted) {
  CScriptedPasswordSystem system;
  system.verifyAnswers = {0, 2, -1, 1};
  VerifyScreenSaverPassword(system, CScriptedPasswordSystem::kOwner);
  const Calls expected = {"platform",
                          "value",
                          "load PASSWORD.CPL",
                          "running on",
                          "find VerifyScreenSavePwd",
                          "verify",
                          "verify",
                          "verify",
                          "verify",
                          "free"};
  EXPECT_EQ(system.calls, expected);
}

TEST(ChangePassword, CallsTheSystemDialogOnlyWhereLibraryAndFunctionExist) {
  const struct {
    bool library;
    bool function;
    Calls expected;
  } cases[] = {
      {false, true, {"load MPR.DLL"}},
      {true, false, {"load MPR.DLL", "find PwdChangePasswordA", "free"}},
      {true, true, {"load MPR.DLL", "find PwdChangePasswordA", "change SCRSAVE", "free"}},
  };
  for (const auto& c : cases) {
    CScriptedPasswordSystem system;
    system.platform = 2;  // the change does not look at the platform
    system.libraryPresent = c.library;
    system.functionPresent = c.function;
    ChangeScreenSaverPassword(system, CScriptedPasswordSystem::kOwner);
    EXPECT_EQ(system.calls, c.expected) << c.library << c.function;
  }
}
