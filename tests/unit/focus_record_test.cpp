// The focus record: its text parsed strictly, and its comment segment inserted into a
// JPEG without touching the image data.
#include "data/focus_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/image_decoder.h"
#include "tests/support/image_files.h"

TEST(FocusRecord, OnlyTheExactTextIsAFocus) {
  struct TextCase {
    const char* text;
    bool valid;
  };
  const TextCase cases[] = {
      {"QuillFocus 0.2500 0.1000 0.6000 0.4500 1024 768", true},
      {"QuillFocus 0.0000 0.0000 1.0000 1.0000 1 65535", true},
      {"QuillFocus 0.2500 0.1000 0.6000 0.4500 1024", false},       // no height
      {"QuillFocus 0.2500 0.1000 0.6000 0.4500 1024 768 ", false},  // trailing space
      {"QuillFocus 0.25 0.1000 0.6000 0.4500 1024 768", false},     // two decimals
      {"QuillFocus 0.6000 0.1000 0.2500 0.4500 1024 768", false},   // inside out
      {"QuillFocus 0.2500 0.4500 0.6000 0.4500 1024 768", false},   // empty
      {"QuillFocus 0.2500 0.1000 1.0001 0.4500 1024 768", false},   // past the edge
      {"QuillFocus 0.2500 0.1000 0.6000 0.4500 0 768", false},      // no width
      {"QuillFocus 0.2500 0.1000 0.6000 0.4500 65536 768", false},  // wider than JPEG allows
      {"QuillFocus 0.2500 0.1000 0.6000 0.4500 01024 768", false},  // leading zero
      {"quillfocus 0.2500 0.1000 0.6000 0.4500 1024 768", false},
      {"QuillFocus", false},
      {"", false},
  };
  for (const TextCase& c : cases) {
    FocusRecord record;
    EXPECT_EQ(ParseFocusRecord(c.text, std::string(c.text).size(), record), c.valid) << c.text;
  }
  const FocusRecord written{0.12345f, 0.0f, 0.5f, 1.0f, 640, 480};
  const std::string text = FormatFocusRecord(written);
  FocusRecord read;
  ASSERT_TRUE(ParseFocusRecord(text.data(), text.size(), read)) << text;
  EXPECT_FLOAT_EQ(read.left, 0.1235f);  // four decimals
  EXPECT_EQ(read.width, 640);
}

TEST(FocusRecord, InsertedAfterTheAppSegmentsWithTheImageDataUntouched) {
  const std::vector<uint8_t> encoded =
      EncodeJpeg(std::vector<uint32_t>(40 * 30, 0xFF336699), 40, 30);
  const std::string jpeg(encoded.begin(), encoded.end());
  FocusRecord record;
  EXPECT_FALSE(FindFocusRecord(jpeg.data(), jpeg.size(), record));
  std::string marked;
  ASSERT_TRUE(InsertFocusRecord(jpeg, {0.1f, 0.2f, 0.3f, 0.4f, 40, 30}, marked));
  std::string again;  // a second record replaces the first
  ASSERT_TRUE(InsertFocusRecord(marked, {0.5f, 0.5f, 0.75f, 0.75f, 40, 30}, again));
  const std::string text = FormatFocusRecord({0.5f, 0.5f, 0.75f, 0.75f, 40, 30});
  EXPECT_EQ(again.size(), jpeg.size() + 4 + text.size());
  ASSERT_TRUE(FindFocusRecord(again.data(), again.size(), record));
  EXPECT_FLOAT_EQ(record.left, 0.5f);
  // Everything after the comment is the original's bytes, and the pixels decode alike.
  EXPECT_EQ(again.substr(again.size() - (jpeg.size() - 20)), jpeg.substr(20));
  DecodedImage before, after;
  ASSERT_TRUE(DecodeImage(jpeg.data(), jpeg.size(), ImageRequest{}, before));
  ASSERT_TRUE(DecodeImage(again.data(), again.size(), ImageRequest{}, after));
  EXPECT_TRUE(before.levels[0].pixels == after.levels[0].pixels);
  // Malformed segments: nothing is inserted or found.
  for (const std::string& bad :
       {std::string("not a jpeg"), jpeg.substr(0, 5), std::string("\xFF\xD8\xFF\xFE\x00\x01", 6)}) {
    EXPECT_FALSE(InsertFocusRecord(bad, record, marked));
    EXPECT_FALSE(FindFocusRecord(bad.data(), bad.size(), record));
  }
}
