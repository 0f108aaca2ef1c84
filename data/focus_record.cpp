// Writing, finding and parsing the focus record in a JPEG's comment segment.
#include "data/focus_record.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr uint8_t kMarkerStart = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kComment = 0xFE;
constexpr uint8_t kFirstApp = 0xE0;  // APP0 .. APP15
constexpr uint8_t kLastApp = 0xEF;
constexpr int kLargestSide = 65535;  // a JPEG frame's size fields are 16 bits

// One marker segment before the first scan: its marker, where it starts (its FF) and
// where the next one starts.
struct Segment {
  uint8_t marker;
  size_t start;
  size_t end;
};

// Reads the segment at `offset`; false at the end of data, a bad marker or a length
// running past the end. Markers without a length (TEM, RSTn) give an empty segment.
bool ReadSegment(const uint8_t* bytes, size_t size, size_t offset, Segment& segment) {
  size_t at = offset;
  if (at >= size || bytes[at] != kMarkerStart) return false;
  while (at < size && bytes[at] == kMarkerStart) ++at;  // fill bytes
  if (at >= size || bytes[at] == 0x00) return false;
  segment.marker = bytes[at];
  segment.start = offset;
  ++at;
  const bool standalone =
      segment.marker == 0x01 || (segment.marker >= 0xD0 && segment.marker <= 0xD7);
  if (standalone || segment.marker == kEndOfImage) {
    segment.end = at;
    return true;
  }
  if (size - at < 2) return false;
  const size_t length = (static_cast<size_t>(bytes[at]) << 8) | bytes[at + 1];
  if (length < 2 || length > size - at) return false;
  segment.end = at + length;
  return true;
}

// Calls visit(segment) for each segment from the one after SOI up to the first scan
// or the end of image (visit also sees that one) or until visit returns false. False
// when the data is no JPEG or a segment is malformed before then.
template <typename Visit>
bool WalkSegments(const uint8_t* bytes, size_t size, Visit visit) {
  if (size < 2 || bytes[0] != kMarkerStart || bytes[1] != kStartOfImage) return false;
  size_t offset = 2;
  for (;;) {
    Segment segment{};
    if (!ReadSegment(bytes, size, offset, segment)) return false;
    if (!visit(segment)) return true;
    if (segment.marker == kStartOfScan || segment.marker == kEndOfImage) return true;
    offset = segment.end;
  }
}

// The comment's text when the segment is a comment; null otherwise.
const char* CommentText(const uint8_t* bytes, const Segment& segment, size_t& length) {
  const size_t header = 4;  // FF FE and the length
  if (segment.marker != kComment || segment.end - segment.start < header) return nullptr;
  length = segment.end - segment.start - header;
  return reinterpret_cast<const char*>(bytes + segment.start + header);
}

bool IsFocusComment(const uint8_t* bytes, const Segment& segment) {
  size_t length = 0;
  const char* text = CommentText(bytes, segment, length);
  const size_t tag = sizeof kFocusRecordTag - 1;
  return text != nullptr && length > tag && std::memcmp(text, kFocusRecordTag, tag) == 0 &&
         text[tag] == ' ';
}

// A fraction with exactly one digit, a point and four digits, 0.0000 .. 1.0000.
bool ParseFraction(const char*& at, const char* end, float& value) {
  if (end - at < 6 || (at[0] != '0' && at[0] != '1') || at[1] != '.') return false;
  int tenThousandths = 0;
  for (int i = 2; i < 6; ++i) {
    if (at[i] < '0' || at[i] > '9') return false;
    tenThousandths = tenThousandths * 10 + (at[i] - '0');
  }
  tenThousandths += (at[0] - '0') * 10000;
  if (tenThousandths > 10000) return false;
  value = static_cast<float>(tenThousandths / 10000.0);
  at += 6;
  return true;
}

// A side of 1 .. kLargestSide in decimal without leading zeros.
bool ParseSide(const char*& at, const char* end, int& value) {
  if (at == end || *at < '1' || *at > '9') return false;
  value = 0;
  while (at != end && *at >= '0' && *at <= '9') {
    value = value * 10 + (*at - '0');
    if (value > kLargestSide) return false;
    ++at;
  }
  return true;
}

bool Expect(const char*& at, const char* end, char c) {
  if (at == end || *at != c) return false;
  ++at;
  return true;
}

}  // namespace

std::string FormatFocusRecord(const FocusRecord& record) {
  char text[kMaxFocusRecordLength + 1];
  auto fraction = [](float value) {
    return std::round(std::fmin(std::fmax(value, 0.0f), 1.0f) * 10000.0f) / 10000.0;
  };
  std::snprintf(text, sizeof text, "%s %.4f %.4f %.4f %.4f %d %d", kFocusRecordTag,
                fraction(record.left), fraction(record.top), fraction(record.right),
                fraction(record.bottom), record.width, record.height);
  return text;
}

bool ParseFocusRecord(const char* text, size_t size, FocusRecord& record) {
  const size_t tag = sizeof kFocusRecordTag - 1;
  if (text == nullptr || size > kMaxFocusRecordLength || size <= tag ||
      std::memcmp(text, kFocusRecordTag, tag) != 0)
    return false;
  const char* at = text + tag;
  const char* end = text + size;
  FocusRecord parsed;
  float* fractions[4] = {&parsed.left, &parsed.top, &parsed.right, &parsed.bottom};
  for (float* value : fractions)
    if (!Expect(at, end, ' ') || !ParseFraction(at, end, *value)) return false;
  if (!Expect(at, end, ' ') || !ParseSide(at, end, parsed.width) || !Expect(at, end, ' ') ||
      !ParseSide(at, end, parsed.height) || at != end)
    return false;
  if (!(parsed.left < parsed.right) || !(parsed.top < parsed.bottom)) return false;
  record = parsed;
  return true;
}

bool FindFocusRecord(const void* data, size_t size, FocusRecord& record) {
  if (data == nullptr) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  bool found = false;
  WalkSegments(bytes, size, [&](const Segment& segment) {
    size_t length = 0;
    if (IsFocusComment(bytes, segment)) {
      const char* text = CommentText(bytes, segment, length);
      found = ParseFocusRecord(text, length, record);
    }
    return !found;
  });
  return found;
}

bool InsertFocusRecord(const std::string& jpeg, const FocusRecord& record, std::string& out) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(jpeg.data());
  // The record goes after the APPn segments (JFIF and EXIF must stay first); older
  // focus records anywhere before the first scan are dropped. Every other byte is
  // copied as it is.
  size_t insertAt = 0;
  std::vector<Segment> stale;
  const bool walked = WalkSegments(bytes, jpeg.size(), [&](const Segment& segment) {
    const bool app = segment.marker >= kFirstApp && segment.marker <= kLastApp;
    if (insertAt == 0 && !app) insertAt = segment.start;
    if (IsFocusComment(bytes, segment)) stale.push_back(segment);
    return true;
  });
  if (!walked || insertAt == 0) return false;
  const std::string text = FormatFocusRecord(record);
  const size_t length = text.size() + 2;
  std::string result(jpeg, 0, insertAt);
  result += static_cast<char>(kMarkerStart);
  result += static_cast<char>(kComment);
  result += static_cast<char>(length >> 8);
  result += static_cast<char>(length & 0xFF);
  result += text;
  size_t copied = insertAt;
  for (const Segment& segment : stale) {
    result.append(jpeg, copied, segment.start - copied);
    copied = segment.end;
  }
  result.append(jpeg, copied, std::string::npos);
  out = std::move(result);
  return true;
}
