// Fuzz target for the captions file: any bytes give captions that are clean UTF-8,
// at most the length limit, for image numbers in range, each at most once.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/caption_list.h"
#include "data/content_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CCaptionList list;
  std::vector<CaptionProblem> problems;
  list.Parse(reinterpret_cast<const char*>(data), size, &problems);
  std::vector<bool> seen(kMaxImages, false);
  for (const Caption& caption : list.GetCaptions()) {
    if (caption.number < 0 || caption.number >= kMaxImages || seen[caption.number])
      __builtin_trap();
    seen[caption.number] = true;
    if (!IsUtf8(caption.text) || CleanCaptionText(caption.text) != caption.text) __builtin_trap();
    if (caption.date.IsSet() && FormatIsoDate(caption.date).size() != 10) __builtin_trap();
  }
  return 0;
}
