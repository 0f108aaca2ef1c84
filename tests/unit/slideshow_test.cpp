// Tests of the slideshow scheduler, driven by a scripted clock, scripted random draws
// and an image source that records every call.
#include "render/slideshow.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/scripted_random.h"

namespace {

// Hands out one token per load and checks that each is given back exactly once.
class CRecordingImages : public IImageSource {
 public:
  struct Token {
    int number;
    bool released;
  };

  CRecordingImages(int present, std::set<int> absent = {}, std::set<int> failing = {})
      : m_present(present), m_absent(std::move(absent)), m_failing(std::move(failing)) {}

  bool HasImage(int number) override {
    probes.push_back(number);
    return number >= 0 && number < m_present && m_absent.count(number) == 0;
  }
  ImageHandle LoadImage(int number) override {
    loads.push_back(number);
    if (m_failing.count(number) != 0) return nullptr;
    m_tokens.push_back({number, false});
    return &m_tokens.back();
  }
  void ReleaseImage(ImageHandle image) override {
    EXPECT_NE(image, nullptr);
    auto* token = static_cast<Token*>(image);
    EXPECT_FALSE(token->released) << "image " << token->number << " released twice";
    token->released = true;
    releases.push_back(token->number);
  }

  // Image number behind a handle, or -1 for null.
  static int NumberOf(ImageHandle image) {
    return image == nullptr ? -1 : static_cast<Token*>(image)->number;
  }
  int LiveCount() const {
    int live = 0;
    for (const Token& token : m_tokens) live += token.released ? 0 : 1;
    return live;
  }

  std::vector<int> probes;
  std::vector<int> loads;
  std::vector<int> releases;

 private:
  int m_present;
  std::set<int> m_absent;
  std::set<int> m_failing;
  std::deque<Token> m_tokens;  // stable addresses serve as handles
};

// Prepares each image ahead: it becomes ready after the number of polls scripted
// for that load (cycling through `delays`), as a worker thread would.
class CAheadImages : public CRecordingImages {
 public:
  CAheadImages(int present, std::set<int> failing, std::vector<int> delays)
      : CRecordingImages(present, {}, std::move(failing)), m_delays(std::move(delays)) {}

  bool BeginImage(int number) override {
    m_number = number;
    m_pollsLeft = m_delays[m_begun++ % m_delays.size()];
    return true;
  }
  bool TakeImage(ImageHandle* image) override {
    if (m_pollsLeft-- > 0) return false;
    ++takes;
    *image = LoadImage(m_number);
    return true;
  }

  int takes = 0;  // loads made by the "worker"; the others were made at once

 private:
  std::vector<int> m_delays;
  size_t m_begun = 0;
  int m_number = -1;
  int m_pollsLeft = 0;
};

// What a cycle shows: the current picture's number at its start (-1 for none) and
// the effect chosen for it.
using Shown = std::pair<int, int>;

// Runs a seeded slideshow of 5 images frame by frame (20 ms apart) for 3 full passes
// and records what each cycle shows. *held counts frames drawn while the next image
// was late; each must have had progress 0.
std::vector<Shown> RunPasses(CRecordingImages& images, int* held) {
  SeedRandom(20260);
  int effect = -1;
  CSlideshow show(images, [&] { effect = QuillRand() % 20; });
  show.DiscoverImages();
  show.SetTimes(1.0, 1.0);
  std::vector<Shown> shown;
  *held = 0;
  double lastStart = -1.0;
  for (int frame = 0; shown.size() < 16; ++frame) {
    const double now = frame * 0.02;
    const float progress = show.Step(now);
    if (show.GetCycleStart() == now) {
      shown.push_back({CRecordingImages::NumberOf(show.GetCurrentImage()), effect});
    } else if (show.GetCycleStart() != lastStart) {
      ++*held;  // the keep part was stretched
      EXPECT_EQ(progress, 0.0f) << now;
      EXPECT_DOUBLE_EQ(show.GetCycleEnd(), now + 1.0);
    }
    lastStart = show.GetCycleStart();
    EXPECT_LE(images.LiveCount(), 2);
  }
  show.ReleaseImages();
  EXPECT_EQ(images.LiveCount(), 0);
  return shown;
}

TEST(SlideshowTest, DecodingAheadShowsTheSameImagesAndEffectsInTheSameOrder) {
  const std::set<int> failing = {3};  // one bad file: its replacement is loaded at once
  CRecordingImages now(5, {}, failing);
  // Ready at once, in a few frames, and 1.6 s or 2.4 s late (longer than the keep).
  CAheadImages ahead(5, failing, {0, 3, 80, 1, 120, 10});
  int heldNow = 0, heldAhead = 0;
  const std::vector<Shown> expected = RunPasses(now, &heldNow);
  const std::vector<Shown> actual = RunPasses(ahead, &heldAhead);
  EXPECT_EQ(heldNow, 0);
  EXPECT_GT(heldAhead, 0);
  EXPECT_EQ(actual, expected);
  // The last next image may still have been in preparation when the run ended.
  ASSERT_GE(ahead.loads.size() + 1, now.loads.size());
  now.loads.resize(ahead.loads.size());
  EXPECT_EQ(ahead.loads, now.loads);
}

struct DiscoveryCase {
  const char* what;
  int present;
  std::set<int> absent;
  int expectedCount;
  int expectedProbes;
};

TEST(SlideshowTest, DiscoveryCountsContiguousNumbersFromZero) {
  const DiscoveryCase cases[] = {
      {"twelve images", 12, {}, 12, 13},        {"images/5 missing stops the count", 12, {5}, 5, 6},
      {"images/0 missing", 12, {0}, 0, 1},      {"no images", 0, {}, 0, 1},
      {"capped at 1024", 2000, {}, 1024, 1024}, {"exactly 1024", 1024, {}, 1024, 1024},
  };
  for (const DiscoveryCase& c : cases) {
    SCOPED_TRACE(c.what);
    CScriptedRandom draws({0});
    CRecordingImages images(c.present, c.absent);
    CSlideshow show(images, nullptr);
    EXPECT_EQ(show.DiscoverImages(), c.expectedCount);
    EXPECT_EQ(show.GetImageCount(), c.expectedCount);
    ASSERT_EQ(static_cast<int>(images.probes.size()), c.expectedProbes);
    for (int i = 0; i < c.expectedProbes; ++i) EXPECT_EQ(images.probes[i], i);
    EXPECT_TRUE(images.loads.empty());
    // The shuffle takes two draws per image.
    EXPECT_EQ(draws.Count(), static_cast<size_t>(2 * c.expectedCount));
  }
}

TEST(SlideshowTest, ShuffleSwapsPairsOfDrawsModuloCount) {
  struct ShuffleCase {
    int count;
    std::vector<int> draws;
    std::vector<int> expectedOrder;
  };
  const ShuffleCase cases[] = {
      // a = 5 % 3, b = 3 % 3 swaps 2 and 0; a = 4 % 3, b = 0 swaps 1 and 0; then 1, 1.
      {3, {5, 3, 4, 0, 7, 7}, {1, 2, 0}},
      {4, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 2, 3}},
      {2, {32767, 0, 1, 1}, {1, 0}},
      {1, {12345, 678}, {0}},
  };
  for (const ShuffleCase& c : cases) {
    SCOPED_TRACE(c.count);
    CScriptedRandom draws(c.draws);
    CRecordingImages images(c.count);
    CSlideshow show(images, nullptr);
    show.DiscoverImages();
    EXPECT_EQ(show.GetOrder(), c.expectedOrder);
    EXPECT_EQ(show.GetOrderPosition(), 0);
  }
}

TEST(SlideshowTest, ImageFileNameFormatsTheNumber) {
  EXPECT_EQ(ImageFileName(0), "images/0.jpg");
  EXPECT_EQ(ImageFileName(1023), "images/1023.jpg");
}

TEST(SlideshowTest, FirstFrameLoadsCurrentAndNextAndChoosesAnEffect) {
  CScriptedRandom draws({0});
  CRecordingImages images(3);
  int effects = 0;
  CSlideshow show(images, [&] { ++effects; });
  show.DiscoverImages();
  show.SetTimes(4.0, 2.0);

  EXPECT_EQ(show.Step(7.5), 0.0f);
  EXPECT_EQ(effects, 1);
  EXPECT_EQ(images.loads, (std::vector<int>{0, 1}));
  EXPECT_EQ(CRecordingImages::NumberOf(show.GetCurrentImage()), 0);
  EXPECT_EQ(CRecordingImages::NumberOf(show.GetNextImage()), 1);
  EXPECT_EQ(show.GetCycleStart(), 7.5);
  EXPECT_EQ(show.GetCycleEnd(), 13.5);
  EXPECT_TRUE(images.releases.empty());
}

struct ProgressCase {
  const char* what;
  double keep, transition;
  double now;             // first frame at 10.0, then this one
  float expected;         // progress returned for `now`
  bool expectedNewCycle;  // whether `now` started a cycle
};

TEST(SlideshowTest, ProgressFollowsTheCycleClock) {
  const ProgressCase cases[] = {
      {"keep phase", 4, 2, 13.9, 0.0f, false},
      {"transition starts", 4, 2, 14.0, 0.0f, false},
      {"half way", 4, 2, 15.0, 0.5f, false},
      {"complete at the cycle end", 4, 2, 16.0, 1.0f, false},
      {"first frame after the end starts a cycle", 4, 2, 16.25, 0.0f, true},
      {"clock running backwards", 4, 2, 9.0, 0.0f, false},
      {"keep 0 starts at once", 0, 2, 11.0, 0.5f, false},
      {"transition 0 during keep", 4, 0, 13.99, 0.0f, false},
      {"transition 0 at the switch (0/0)", 4, 0, 14.0, 0.0f, false},
      {"transition 0: the frame after the switch starts a cycle", 4, 0, 14.001, 0.0f, true},
      {"both 0: every later frame starts a cycle", 0, 0, 10.001, 0.0f, true},
      {"both 0: same time again (0/0)", 0, 0, 10.0, 0.0f, false},
      {"one minute each", 60, 60, 85.0, 0.25f, false},
  };
  for (const ProgressCase& c : cases) {
    SCOPED_TRACE(c.what);
    CScriptedRandom draws({0});
    CRecordingImages images(5);
    int effects = 0;
    CSlideshow show(images, [&] { ++effects; });
    show.DiscoverImages();
    show.SetTimes(c.keep, c.transition);
    show.Step(10.0);
    ASSERT_EQ(effects, 1);
    EXPECT_FLOAT_EQ(show.Step(c.now), c.expected);
    EXPECT_EQ(effects, c.expectedNewCycle ? 2 : 1);
  }
}

TEST(SlideshowTest, TransitionZeroSwitchesAtOnceAfterKeep) {
  // No blend is ever seen: the first frame after cycleStart + keep starts the next
  // cycle, in which the next image is the current one.
  CScriptedRandom draws({0});
  CRecordingImages images(3);
  CSlideshow show(images, nullptr);
  show.DiscoverImages();
  show.SetTimes(4.0, 0.0);
  struct Frame {
    double now;
    int current;
  };
  const Frame frames[] = {{0.0, 0}, {2.0, 0}, {4.0, 0}, {4.02, 1}, {6.0, 1}};
  for (const Frame& f : frames) {
    SCOPED_TRACE(f.now);
    EXPECT_EQ(show.Step(f.now), 0.0f);
    EXPECT_EQ(CRecordingImages::NumberOf(show.GetCurrentImage()), f.current);
  }
}

TEST(SlideshowTest, OneImageShowsTheSamePictureEveryCycleWithoutReshuffle) {
  CScriptedRandom draws({9, 9});
  CRecordingImages images(1);
  CSlideshow show(images, nullptr);
  show.DiscoverImages();
  show.SetTimes(1.0, 1.0);
  EXPECT_EQ(draws.Count(), 2u);
  for (int cycle = 0; cycle < 5; ++cycle) {
    show.Step(cycle * 2.5);
    EXPECT_EQ(show.GetOrderPosition(), 0);
    EXPECT_EQ(CRecordingImages::NumberOf(show.GetCurrentImage()), 0);
    EXPECT_EQ(CRecordingImages::NumberOf(show.GetNextImage()), 0);
  }
  EXPECT_EQ(draws.Count(), 2u);
  EXPECT_EQ(images.loads, (std::vector<int>{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(images.releases, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(images.LiveCount(), 2);
}

TEST(SlideshowTest, OrderIsReshuffledAfterEveryPass) {
  // Discovery: six zero draws keep 0 1 2. The first reshuffle swaps 0 and 2; later
  // reshuffles draw zeros and keep 2 1 0.
  CScriptedRandom draws({0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0});
  CRecordingImages images(3);
  CSlideshow show(images, nullptr);
  show.DiscoverImages();
  show.SetTimes(1.0, 1.0);

  struct Frame {
    double now;
    std::vector<int> order;
    size_t draws;
    int current, next;
  };
  const Frame frames[] = {
      {0.0, {0, 1, 2}, 6, 0, 1},   // loads 0 and 1
      {2.1, {2, 1, 0}, 12, 1, 2},  // loads 2: the pass is complete, reshuffle
      {4.2, {2, 1, 0}, 12, 2, 2},  // the last of one pass is the first of the next
      {6.3, {2, 1, 0}, 12, 2, 1},
      {8.4, {2, 1, 0}, 18, 1, 0},  // second pass complete, second reshuffle
      {10.5, {2, 1, 0}, 18, 0, 2},
  };
  for (const Frame& f : frames) {
    SCOPED_TRACE(f.now);
    show.Step(f.now);
    EXPECT_EQ(show.GetOrder(), f.order);
    EXPECT_EQ(draws.Count(), f.draws);
    EXPECT_EQ(CRecordingImages::NumberOf(show.GetCurrentImage()), f.current);
    EXPECT_EQ(CRecordingImages::NumberOf(show.GetNextImage()), f.next);
  }
  EXPECT_EQ(images.loads, (std::vector<int>{0, 1, 2, 2, 1, 0, 2}));
  EXPECT_EQ(images.releases, (std::vector<int>{0, 1, 2, 2, 1}));
}

TEST(SlideshowTest, FailedImageCostsOneCycle) {
  CScriptedRandom draws({0});
  CRecordingImages images(4, {}, {1});
  CSlideshow show(images, nullptr);
  show.DiscoverImages();
  show.SetTimes(1.0, 1.0);

  show.Step(0.0);
  EXPECT_EQ(CRecordingImages::NumberOf(show.GetCurrentImage()), 0);
  EXPECT_EQ(show.GetNextImage(), nullptr);  // the transition blends towards nothing

  // Next cycle: the null current is replaced at once by a further image.
  show.Step(2.5);
  EXPECT_EQ(CRecordingImages::NumberOf(show.GetCurrentImage()), 2);
  EXPECT_EQ(CRecordingImages::NumberOf(show.GetNextImage()), 3);
  EXPECT_EQ(images.loads, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(images.releases, (std::vector<int>{0}));
}

TEST(SlideshowTest, FailedFirstImageLeavesTheFirstCurrentEmpty) {
  CScriptedRandom draws({0});
  CRecordingImages images(3, {}, {0});
  CSlideshow show(images, nullptr);
  show.DiscoverImages();
  show.Step(0.0);
  EXPECT_EQ(show.GetCurrentImage(), nullptr);
  EXPECT_EQ(CRecordingImages::NumberOf(show.GetNextImage()), 1);
  EXPECT_EQ(images.loads, (std::vector<int>{0, 1}));
}

TEST(SlideshowTest, NoImagesLoadsNothingAndKeepsCycling) {
  CScriptedRandom draws({3});
  CRecordingImages images(0);
  int effects = 0;
  CSlideshow show(images, [&] { ++effects; });
  EXPECT_EQ(show.DiscoverImages(), 0);
  show.SetTimes(1.0, 1.0);
  EXPECT_EQ(show.Step(0.0), 0.0f);
  EXPECT_EQ(show.Step(1.5), 0.5f);
  EXPECT_EQ(show.Step(2.5), 0.0f);
  EXPECT_EQ(effects, 2);
  EXPECT_EQ(show.GetCurrentImage(), nullptr);
  EXPECT_EQ(show.GetNextImage(), nullptr);
  EXPECT_TRUE(images.loads.empty());
  EXPECT_EQ(draws.Count(), 0u);
}

TEST(SlideshowTest, ReleaseGivesEveryPictureBackOnce) {
  CScriptedRandom draws({0});
  CRecordingImages images(3);
  {
    CSlideshow show(images, nullptr);
    show.DiscoverImages();
    show.Step(0.0);
    show.ReleaseImages();
    EXPECT_EQ(images.releases, (std::vector<int>{0, 1}));
    show.ReleaseImages();
    EXPECT_EQ(images.releases.size(), 2u);
    EXPECT_EQ(show.GetCurrentImage(), nullptr);
    EXPECT_EQ(show.GetNextImage(), nullptr);
  }
  EXPECT_EQ(images.LiveCount(), 0);

  // Destruction gives back whatever is still held.
  CRecordingImages held(3);
  {
    CSlideshow show(held, nullptr);
    show.DiscoverImages();
    show.Step(0.0);
  }
  EXPECT_EQ(held.LiveCount(), 0);
  EXPECT_EQ(held.releases.size(), 2u);
}

}  // namespace

// When every picture fails, the frames go on without a load on the render thread in
// every cycle: after one such load failed, none is tried again in the same pass.
TEST(SlideshowTest, WhenEveryPictureFailsTheRenderThreadLoadsOnceAPass) {
  SeedRandom(3);
  CAheadImages images(4, {0, 1, 2, 3}, {2});
  CSlideshow show(images, nullptr);
  show.DiscoverImages();
  show.SetTimes(0.1, 0.1);
  for (int frame = 0; frame < 400; ++frame) {
    show.Step(frame * 0.02);
    EXPECT_EQ(show.GetCurrentImage(), nullptr);
  }
  const int atOnce = static_cast<int>(images.loads.size()) - images.takes;
  const int passes = static_cast<int>(images.loads.size()) / 4 + 1;
  EXPECT_GT(images.takes, 20);  // the cycles went on, each with a decode ahead
  EXPECT_LE(atOnce, passes) << images.takes << " ahead";
}

namespace {

// Images of the shapes spelt by a string (L landscape, P portrait, S square, ? not
// known), recording every slide taken and every effect drawn, in order.
class CShapedImages : public CRecordingImages {
 public:
  struct Event {
    bool effect;               // an effect draw; else a slide taken
    int first, second, value;  // the slide's images (-1: none), or the effect drawn
  };

  explicit CShapedImages(std::string shapes)
      : CRecordingImages(static_cast<int>(shapes.size())), m_shapes(std::move(shapes)) {}

  PictureShape GetImageShape(int number) override {
    switch (m_shapes.at(number)) {
      case 'L':
        return PictureShape::Landscape;
      case 'P':
        return PictureShape::Portrait;
      case 'S':
        return PictureShape::Square;
      default:
        return PictureShape::Unknown;
    }
  }
  ImageHandle LoadImage(int number) override {
    events.push_back({false, number, -1, 0});
    return CRecordingImages::LoadImage(number);
  }
  ImageHandle LoadPair(int first, int second) override {
    events.push_back({false, first, second, 0});
    return CRecordingImages::LoadImage(first);
  }

  std::vector<Event> events;

 private:
  std::string m_shapes;
};

// Runs `cycles` cycles of a slideshow over `images` on a screen of `screen`'s shape.
void RunPairedCycles(CShapedImages& images, PictureShape screen, int cycles) {
  CSlideshow show(images, [&] { images.events.push_back({true, -1, -1, QuillRand() % 20}); });
  show.DiscoverImages();
  show.SetTimes(1.0, 1.0);
  show.SetPairing(screen);
  for (int cycle = 0; cycle < cycles; ++cycle) show.Step(cycle * 2.5);
}

}  // namespace

TEST(SlideshowTest, PortraitsPairWithTheNearestWaitingPictureOfTheirShape) {
  struct PairCase {
    const char* shapes;
    PictureShape screen;
    std::vector<std::pair<int, int>> pass;  // the slides of one pass: (first, partner)
  };
  const PictureShape landscape = PictureShape::Landscape;
  // One row a case reads as a table.
  // clang-format off
  const PairCase cases[] = {
      {"LPLPP", landscape, {{0, -1}, {1, 3}, {2, -1}, {4, -1}}},  // the last one alone
      {"PLP", landscape, {{0, 2}, {1, -1}}},
      {"PPP", landscape, {{0, 1}, {2, -1}}},
      {"SPSP?P", landscape, {{0, -1}, {1, 3}, {2, -1}, {4, -1}, {5, -1}}},
      {"LPLLP", PictureShape::Portrait, {{0, 2}, {1, -1}, {3, -1}, {4, -1}}},
      {"PPLL", PictureShape::Square, {{0, -1}, {1, -1}, {2, -1}, {3, -1}}},
      {"PPLL", PictureShape::Unknown, {{0, -1}, {1, -1}, {2, -1}, {3, -1}}},
      {"P", landscape, {{0, -1}}},
  };
  // clang-format on
  for (const PairCase& c : cases) {
    SCOPED_TRACE(c.shapes);
    CScriptedRandom draws({0});  // every shuffle keeps the order 0, 1, 2, ...
    CShapedImages images(c.shapes);
    const int slidesPerPass = static_cast<int>(c.pass.size());
    RunPairedCycles(images, c.screen, 2 * slidesPerPass - 1);  // two passes of slides
    std::vector<std::pair<int, int>> taken;
    for (const CShapedImages::Event& e : images.events)
      if (!e.effect) taken.push_back({e.first, e.second});
    std::vector<std::pair<int, int>> expected = c.pass;
    expected.insert(expected.end(), c.pass.begin(), c.pass.end());
    EXPECT_EQ(taken, expected);
  }
}

TEST(SlideshowTest, PairsShowEveryPictureOncePerPassWithTheDrawsOfToday) {
  // Seeded passes of mixed shapes: replaying the same generator, every cycle takes
  // one effect draw and every completed pass one shuffle of two draws an image, as
  // without pairs, and no picture comes twice before its pass is complete.
  const std::string shapes = "PLPLLPSPL?P";
  const int count = static_cast<int>(shapes.size());
  for (unsigned int seed : {1u, 20260u, 777u}) {
    SCOPED_TRACE(seed);
    SeedRandom(seed);
    CShapedImages images(shapes);
    RunPairedCycles(images, PictureShape::Landscape, 40);
    SeedRandom(seed);
    for (int i = 0; i < 2 * count; ++i) QuillRand();  // the first shuffle
    std::set<int> pass;
    int pairs = 0, passes = 0;
    for (const CShapedImages::Event& e : images.events) {
      if (e.effect) {
        EXPECT_EQ(e.value, QuillRand() % 20);
        continue;
      }
      for (int number : {e.first, e.second}) {
        if (number < 0) continue;
        EXPECT_TRUE(pass.insert(number).second) << number << " twice in a pass";
      }
      pairs += e.second >= 0 ? 1 : 0;
      if (static_cast<int>(pass.size()) == count) {
        pass.clear();
        ++passes;
        for (int i = 0; i < 2 * count; ++i) QuillRand();  // the reshuffle
      }
    }
    EXPECT_GE(passes, 4);
    EXPECT_GE(pairs, 2 * passes);
  }
}
