// The focus record: the rectangle of a slideshow image that the engine keeps in view
// (the faces quillpack found), carried inside the JPEG itself as a comment segment so
// that it travels with its picture. quillpack writes it, the engine and quillpack's
// check and list read it; this is its one definition.
#pragma once

#include <cstddef>
#include <string>

// The comment's text: kFocusRecordTag, then left, top, right and bottom in the
// picture's own 0..1 coordinates with four decimals, then the picture's width and
// height in pixels, separated by single spaces: "QuillFocus 0.2500 0.1000 0.6000
// 0.4500 1024 768". A record whose size differs from the picture's is stale (the
// picture was edited after quillpack wrote it) and is ignored.
constexpr char kFocusRecordTag[] = "QuillFocus";
// A comment longer than this is never a focus record; nothing longer is parsed.
constexpr size_t kMaxFocusRecordLength = 96;

struct FocusRecord {
  float left = 0.0f;  // fraction of the picture's width, 0 .. 1
  float top = 0.0f;   // fraction of its height, 0 .. 1
  float right = 1.0f;
  float bottom = 1.0f;
  int width = 0;  // the picture's size when the record was written, pixels
  int height = 0;
};

// The comment's text for `record`.
std::string FormatFocusRecord(const FocusRecord& record);
// Parses a comment's text exactly as FormatFocusRecord writes it; false (leaving
// `record` unchanged) for anything else, including an empty or inside-out rectangle,
// one outside 0..1 and a size that is not positive.
bool ParseFocusRecord(const char* text, size_t size, FocusRecord& record);

// Finds the focus record among the JPEG's segments before its first scan. False when
// there is none or the segments are malformed. Never reads outside data[0, size).
bool FindFocusRecord(const void* data, size_t size, FocusRecord& record);

// The JPEG with `record` as a comment segment after its APPn segments, any focus record
// it had removed; the image data is copied byte for byte. False, leaving `out`
// unchanged, when the segments before the first scan are malformed.
bool InsertFocusRecord(const std::string& jpeg, const FocusRecord& record, std::string& out);
