// The command line's first argument selects the mode by a letter anywhere in it; the
// second is a decimal window handle for the preview and the password change.
#pragma once

enum Mode {
  ModeConfig = 1,
  ModeChangePassword = 3,
  ModePreview = 4,
  ModeTest = 5,
  ModeSaver = 6,
  ModeNone = 7,
};

// Tells whether a byte starts a double-byte character in the process's code page.
using LeadByteTest = bool (*)(unsigned char byte);

// The mode for the first argument (null allowed). The letters are searched in the
// fixed order c C a A p P t T s S; the trail byte of a double-byte character never
// matches. isLeadByte may be null for single-byte code pages.
int MatchOption(const char* argument, LeadByteTest isLeadByte = nullptr);

// The window handle in the second argument, read as atol reads it; a missing
// argument gives 0 (no window).
long ParseWindowHandle(const char* argument);
