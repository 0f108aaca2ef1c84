// The captions of the slideshow images as the content carries them: UTF-8 text with
// one line an image, "NUMBER | DATE | TEXT", written by quillpack, editable by hand,
// read by the engine and checked by quillpack. Dates stay ISO dates here; the engine
// formats them in the user's own way.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Joins the parts of a caption: "Harbour at dusk — 14 July 2023" (UTF-8 em dash).
constexpr char kCaptionSeparator[] = " \xE2\x80\x94 ";

// A calendar day; year 0 means none.
struct CaptionDate {
  int year = 0;   // 1 .. 9999
  int month = 0;  // 1 .. 12
  int day = 0;    // 1 .. the month's length
  bool IsSet() const { return year != 0; }
};

struct Caption {
  int number = -1;   // the image, ImageFileName(number)
  CaptionDate date;  // the day the photo was taken, or none
  std::string text;  // UTF-8, cleaned (CleanCaptionText); may be empty when a date is set
};

// A line of the file that was read otherwise than written, for quillpack check.
struct CaptionProblem {
  int line = 0;      // 1-based
  std::string text;  // what is wrong and what the engine does instead
};

class CCaptionList {
 public:
  // Reads the file; lines that cannot be read are skipped, and with `problems` every
  // skipped line, cut text, removed character and repeated number is described.
  void Parse(const char* data, size_t size, std::vector<CaptionProblem>* problems = nullptr);

  // The caption of image `number`; null when it has none.
  const Caption* Find(int number) const;
  const std::vector<Caption>& GetCaptions() const { return m_captions; }

  // The file for `captions`, led by a comment that says how to edit it.
  static std::string Format(const std::vector<Caption>& captions);

 private:
  std::vector<Caption> m_captions;  // in file order, one per image number
};

// The text with control characters (C0, DEL, C1) and malformed UTF-8 removed, outer
// blanks trimmed and cut to kMaxCaptionCharacters code points. *removed and *cut
// (when given) tell what was done.
std::string CleanCaptionText(const std::string& text, bool* removed = nullptr, bool* cut = nullptr);

// Whether text is well-formed UTF-8 throughout.
bool IsUtf8(const std::string& text);

// "2023-07-14" <-> the day; false for anything but a real calendar day so written.
bool ParseIsoDate(const std::string& text, CaptionDate* date);
std::string FormatIsoDate(const CaptionDate& date);
