// Tests of core/fields: zeroed single-valued arrays, multi-valued records
// growing and shrinking through copies, string lists, and every failure text.
//
// Allocation failures are real: the FieldsOutOfMemory cases run in a child
// copy of this program whose allocator refuses blocks above 1 MiB (an
// AddressSanitizer option), so they need the sanitizer build.
#include "core/fields.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"
#include "tests/hook_guard.h"

extern char** environ;

namespace {

std::vector<std::string>& notified() {
  static std::vector<std::string> texts;
  return texts;
}

int recordNotice(const char* text) {
  notified().push_back(text);
  return 0;
}

// Sends the notify window's texts to notified() for the length of a test.
class FieldsTest : public testing::Test {
 protected:
  void SetUp() override {
    zmResetReportStateForTest();
    shellHooks_->notifyMessage = recordNotice;
    notified().clear();
  }

 private:
  ServiceGuard<ZmCoreMessages> shellHooks_{coreMessages};
};

bool allBytesZero(const void* block, size_t bytes) {
  const auto* byte = static_cast<const unsigned char*>(block);
  for (size_t i = 0; i < bytes; ++i) {
    if (byte[i] != 0) return false;
  }
  return true;
}

template <typename Element>
void expectNewArrayZeroed(Element* (*make)(int32_t), void (*release)(Element*)) {
  Element* array = make(3);
  ASSERT_NE(array, nullptr);
  EXPECT_TRUE(allBytesZero(array, 3 * sizeof(Element)));
  release(array);
}

std::vector<ZmSFVec3f> sequence(int n, float base) {
  std::vector<ZmSFVec3f> values;
  for (int i = 0; i < n; ++i) values.push_back({base + i, base - i, float(i)});
  return values;
}

void expectValues(const ZmMFVec3f& record, const std::vector<ZmSFVec3f>& expected) {
  ASSERT_EQ(record.count, int32_t(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(record.values[i].x, expected[i].x) << i;
    EXPECT_EQ(record.values[i].y, expected[i].y) << i;
    EXPECT_EQ(record.values[i].z, expected[i].z) << i;
  }
}

// ---- Single-valued arrays -----------------------------------------------------

TEST_F(FieldsTest, SingleValuedNewRefusesCountsBelowOneSilently) {
  for (int32_t n : {0, -3}) {
    EXPECT_EQ(zmGFnewSFFloat(n), nullptr);
    EXPECT_EQ(zmGFnewSFColor(n), nullptr);
    EXPECT_EQ(zmGFnewSFMatrix(n), nullptr);
  }
  EXPECT_TRUE(notified().empty());
}

TEST_F(FieldsTest, SingleValuedArraysStartZeroed) {
  expectNewArrayZeroed(zmGFnewSFBitMask, zmGFdeleteSFBitMask);
  expectNewArrayZeroed(zmGFnewSFBool, zmGFdeleteSFBool);
  expectNewArrayZeroed(zmGFnewSFColor, zmGFdeleteSFColor);
  expectNewArrayZeroed(zmGFnewSFFloat, zmGFdeleteSFFloat);
  expectNewArrayZeroed(zmGFnewSFImage, zmGFdeleteSFImage);
  expectNewArrayZeroed(zmGFnewSFInt32, zmGFdeleteSFInt32);
  expectNewArrayZeroed(zmGFnewSFMatrix, zmGFdeleteSFMatrix);
  expectNewArrayZeroed(zmGFnewSFRotation, zmGFdeleteSFRotation);
  expectNewArrayZeroed(zmGFnewSFTime, zmGFdeleteSFTime);
  expectNewArrayZeroed(zmGFnewSFVec2f, zmGFdeleteSFVec2f);
  expectNewArrayZeroed(zmGFnewSFVec3f, zmGFdeleteSFVec3f);
  zmGFdeleteSFFloat(nullptr);
}

TEST_F(FieldsTest, SetWritesComponentsInOrderIntoOneElement) {
  ZmSFColor colors[2] = {};
  zmGFsetSFColor(&colors[1], 0.1f, 0.2f, 0.3f);
  EXPECT_TRUE(allBytesZero(&colors[0], sizeof colors[0]));
  EXPECT_EQ(colors[1].r, 0.1f);
  EXPECT_EQ(colors[1].g, 0.2f);
  EXPECT_EQ(colors[1].b, 0.3f);

  ZmSFImage image{};
  zmGFsetSFImage(&image, 1, 2, 3, 4);
  EXPECT_EQ(image.word[0], 1u);
  EXPECT_EQ(image.word[3], 4u);

  ZmSFRotation rotation{};
  zmGFsetSFRotation(&rotation, 0, 1, 0, 1.5f);
  EXPECT_EQ(rotation.y, 1.0f);
  EXPECT_EQ(rotation.angle, 1.5f);

  ZmSFVec2f uv{};
  zmGFsetSFVec2f(&uv, 0.25f, 0.75f);
  EXPECT_EQ(uv.x, 0.25f);
  EXPECT_EQ(uv.y, 0.75f);

  ZmSFVec3f point{};
  zmGFsetSFVec3f(&point, 7, 8, 9);
  EXPECT_EQ(point.z, 9.0f);

  zmGFsetSFColor(nullptr, 1, 1, 1);
  zmGFsetSFVec3f(nullptr, 1, 1, 1);
}

// ---- Multi-valued records ---------------------------------------------------------

TEST_F(FieldsTest, MultiValuedNew) {
  for (int32_t n : {0, -2}) {
    ZmMFVec3f* empty = zmGFnewMFVec3f(n);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->count, 0);
    EXPECT_EQ(empty->values, nullptr);
    zmGFdeleteMFVec3f(empty);
  }
  ZmMFColor* colors = zmGFnewMFColor(4);
  ASSERT_NE(colors, nullptr);
  EXPECT_EQ(colors->count, 4);
  EXPECT_TRUE(allBytesZero(colors->values, 4 * sizeof(ZmSFColor)));
  zmGFclearMFColor(colors);
  EXPECT_EQ(colors->count, 0);
  EXPECT_EQ(colors->values, nullptr);
  zmGFdeleteMFColor(colors);
  zmGFdeleteMFColor(nullptr);
  zmGFclearMFColor(nullptr);
  EXPECT_TRUE(notified().empty());
}

// A copy grows the array only for a longer source and never shrinks it; the
// sanitizer would catch a copy into an array too short for it.
TEST_F(FieldsTest, CopiesGrowAndShrinkTheRecord) {
  struct Step {
    int sourceCount;
    bool resized;  // the source is longer than the target's count
  };
  const Step steps[] = {{2, true}, {5, true}, {1, false}, {4, true}, {6, true}, {6, false}};
  ZmMFVec3f target;
  zmGFinitMFVec3f(&target);
  float base = 10;
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "source of " << step.sourceCount);
    std::vector<ZmSFVec3f> values = sequence(step.sourceCount, base++);
    const ZmMFVec3f source{step.sourceCount, values.data()};
    ZmSFVec3f* const arrayBefore = target.values;
    ASSERT_EQ(zmGFcopyMFVec3f(&target, &source), 0);
    expectValues(target, values);
    if (!step.resized) {
      EXPECT_EQ(target.values, arrayBefore);
    }
  }
  zmGFclearMFVec3f(&target);
  EXPECT_TRUE(notified().empty());
}

TEST_F(FieldsTest, CopyIntoShorterCountKeepsTheLongerArray) {
  ZmMFVec3f* target = zmGFnewMFVec3f(5);
  std::vector<ZmSFVec3f> three = sequence(3, 1);
  const ZmMFVec3f source{3, three.data()};
  ZmSFVec3f* const array = target->values;
  zmGFsetSFVec3f(&array[4], 4, 4, 4);
  ASSERT_EQ(zmGFcopyMFVec3f(target, &source), 0);
  EXPECT_EQ(target->values, array);
  expectValues(*target, three);
  EXPECT_EQ(array[4].x, 4.0f);  // still inside the array, untouched
  zmGFdeleteMFVec3f(target);
}

TEST_F(FieldsTest, CopyArgumentErrorsLeaveTheTargetAlone) {
  ZmSFColor color{1, 2, 3};
  ZmSFFloat number = 1;
  ZmSFInt32 integer = 1;
  ZmSFVec2f uv{1, 2};
  ZmSFVec3f point{1, 2, 3};
  ZmMFColor colors{1, &color};
  ZmMFFloat floats{1, &number};
  ZmMFInt32 ints{1, &integer};
  ZmMFVec2f uvs{1, &uv};
  ZmMFVec3f points{1, &point};
  ZmMFColor noColors{0, nullptr};
  ZmMFFloat floatsWithoutArray{2, nullptr};
  ZmMFInt32 negativeInts{-1, &integer};
  ZmMFVec2f noUvs{0, &uv};
  ZmMFVec3f noPoints{0, nullptr};

  struct Case {
    int result;
    const char* text;
  };
  const Case cases[] = {
      {zmGFcopyMFColor(nullptr, &colors), "zmGFcopyMFColor: Invalid argument."},
      {zmGFcopyMFFloat(&floats, nullptr), "zmGFcopyMFFloat: Invalid argument."},
      {zmGFcopyMFInt32(nullptr, nullptr), "zmGFcopyMFInt32: Invalid argument."},
      {zmGFcopyMFVec2f(nullptr, &uvs), "zmGFcopyMFVec2f: Invalid argument."},
      {zmGFcopyMFVec3f(&points, nullptr), "zmGFcopyMFVec3f: Invalid argument."},
      {zmGFcopyMFColor(&colors, &noColors), "zmGFcopyMFColor: Invalid argument's pSrc."},
      {zmGFcopyMFFloat(&floats, &floatsWithoutArray), "zmGFcopyMFFloat: Invalid argument's pSrc."},
      {zmGFcopyMFInt32(&ints, &negativeInts), "zmGFcopyMFInt32: Invalid argument's pSrc."},
      {zmGFcopyMFVec2f(&uvs, &noUvs), "zmGFcopyMFVec2f: Invalid argument's pSrc."},
      {zmGFcopyMFVec3f(&points, &noPoints), "zmGFcopyMFVec3f: Invalid argument's pSrc."},
  };
  ASSERT_EQ(notified().size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].result, -1) << cases[i].text;
    EXPECT_EQ(notified()[i], cases[i].text);
  }
  EXPECT_EQ(colors.count, 1);
  EXPECT_EQ(colors.values, &color);
  EXPECT_EQ(color.r, 1.0f);
  EXPECT_EQ(points.values, &point);
}

TEST_F(FieldsTest, NewCopy) {
  std::vector<ZmSFVec3f> values = sequence(3, 2);
  const ZmMFVec3f source{3, values.data()};
  ZmMFVec3f* copy = zmGFnewCopyMFVec3f(&source);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->values, source.values);
  expectValues(*copy, values);
  zmGFdeleteMFVec3f(copy);

  const ZmMFFloat empty{0, nullptr};
  ZmMFFloat* emptyCopy = zmGFnewCopyMFFloat(&empty);
  ASSERT_NE(emptyCopy, nullptr);
  EXPECT_EQ(emptyCopy->count, 0);
  EXPECT_EQ(emptyCopy->values, nullptr);
  zmGFdeleteMFFloat(emptyCopy);
  EXPECT_TRUE(notified().empty());

  EXPECT_EQ(zmGFnewCopyMFColor(nullptr), nullptr);
  EXPECT_EQ(zmGFnewCopyMFFloat(nullptr), nullptr);
  EXPECT_EQ(zmGFnewCopyMFInt32(nullptr), nullptr);
  EXPECT_EQ(zmGFnewCopyMFVec2f(nullptr), nullptr);
  EXPECT_EQ(zmGFnewCopyMFVec3f(nullptr), nullptr);
  const std::vector<std::string> expected = {
      "zmGFnewCopyMFColor: Invalid argument.", "zmGFnewCopyMFFloat: Invalid argument.",
      "zmGFnewCopyMFInt32: Invalid argument.", "zmGFnewCopyMFVec2f: Invalid argument.",
      "zmGFnewCopyMFVec3f: Invalid argument."};
  EXPECT_EQ(notified(), expected);
}

// ---- ZmMFString -----------------------------------------------------------------------

// The sanitizer's leak check proves that clear frees the strings and array.
TEST_F(FieldsTest, StringListOwnsWhatIsAdded) {
  ZmMFString* list = zmGFnewMFString();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count, 0);
  EXPECT_EQ(list->values, nullptr);
  char* first = zmStrdup("first");
  char* second = zmStrdup("second");
  ASSERT_EQ(zmGFaddMFString(list, first), 0);
  ASSERT_EQ(zmGFaddMFString(list, second), 0);
  ASSERT_EQ(zmGFaddMFString(list, nullptr), 0);  // an empty slot is allowed
  EXPECT_EQ(list->count, 3);
  EXPECT_EQ(list->values[0], first);
  EXPECT_EQ(list->values[1], second);
  zmGFclearMFString(list);
  EXPECT_EQ(list->count, 0);
  EXPECT_EQ(list->values, nullptr);

  ASSERT_EQ(zmGFaddMFString(list, zmStrdup("again")), 0);
  zmGFdeleteMFString(list);
  zmGFdeleteMFString(nullptr);
  EXPECT_EQ(zmGFaddMFString(nullptr, nullptr), -1);
  EXPECT_TRUE(notified().empty());
}

// ---- Out of memory ------------------------------------------------------------------------

constexpr const char* kRefusingChildVariable = "LUMENFOLD_REFUSE_LARGE_BLOCKS";
constexpr int32_t kTooMany = 1 << 20;  // every element type needs more than 1 MiB

// These run only in the child started by FieldsOutOfMemoryDriver.
class FieldsOutOfMemory : public FieldsTest {
 protected:
  void SetUp() override {
    if (std::getenv(kRefusingChildVariable) == nullptr) {
      GTEST_SKIP() << "runs in the child process with a refusing allocator";
    }
    FieldsTest::SetUp();
  }
};

TEST_F(FieldsOutOfMemory, SingleValuedNewReportsItsType) {
  EXPECT_EQ(zmGFnewSFBitMask(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFBool(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFColor(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFFloat(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFImage(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFInt32(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFMatrix(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFRotation(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFTime(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFVec2f(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewSFVec3f(kTooMany), nullptr);
  const std::vector<std::string> expected = {
      "zmGFnewSFBitMask: cannot allocate memory for ZmSFBitMask.",
      "zmGFnewSFBool: cannot allocate memory for ZmSFBool.",
      "zmGFnewSFColor: cannot allocate memory for ZmSFColor.",
      "zmGFnewSFFloat: cannot allocate memory for ZmSFFloat.",
      "zmGFnewSFImage: cannot allocate memory for ZmSFImage.",
      "zmGFnewSFInt32: cannot allocate memory for ZmSFInt32.",
      "zmGFnewSFMatrix: cannot allocate memory for ZmSFMatrix.",
      "zmGFnewSFRotation: cannot allocate memory for ZmSFRotation.",
      "zmGFnewSFTime: cannot allocate memory for ZmSFTime.",
      "zmGFnewSFVec2f: cannot allocate memory for ZmSFVec2f.",
      "zmGFnewSFVec3f: cannot allocate memory for ZmSFVec3f."};
  EXPECT_EQ(notified(), expected);
}

// No record is handed out whose count its array cannot back; the leak check
// proves the record itself was freed.
TEST_F(FieldsOutOfMemory, MultiValuedNewGivesNoRecordWithoutValues) {
  EXPECT_EQ(zmGFnewMFFloat(kTooMany), nullptr);
  EXPECT_EQ(zmGFnewMFVec2f(kTooMany), nullptr);
  const std::vector<std::string> expected = {
      "zmGFnewSFFloat: cannot allocate memory for ZmSFFloat.",
      "zmGFnewSFVec2f: cannot allocate memory for ZmSFVec2f."};
  EXPECT_EQ(notified(), expected);
}

TEST_F(FieldsOutOfMemory, FailedGrowthKeepsTheOldArrayAndCount) {
  static ZmSFVec3f big[kTooMany / 8];  // 1.5 MiB, outside the allocator
  const ZmMFVec3f source{kTooMany / 8, big};
  ZmMFVec3f* target = zmGFnewMFVec3f(2);
  zmGFsetSFVec3f(&target->values[1], 5, 6, 7);
  ZmSFVec3f* const array = target->values;

  EXPECT_EQ(zmGFcopyMFVec3f(target, &source), -1);
  EXPECT_EQ(target->count, 2);
  EXPECT_EQ(target->values, array);
  EXPECT_EQ(target->values[1].y, 6.0f);

  EXPECT_EQ(zmGFnewCopyMFVec3f(&source), nullptr);
  const std::vector<std::string> expected = {
      "zmGFnewSFVec3f: cannot allocate memory for ZmSFVec3f."};
  EXPECT_EQ(notified(), expected);
  zmGFdeleteMFVec3f(target);
}

TEST_F(FieldsOutOfMemory, StringListThatCannotGrowIsUnchanged) {
  constexpr int32_t kSlots = (1 << 20) / sizeof(char*);  // exactly 1 MiB of slots
  ZmMFString* list = zmGFnewMFString();
  list->values = static_cast<char**>(zmMalloc(kSlots * sizeof(char*)));
  ASSERT_NE(list->values, nullptr);
  list->count = kSlots;
  list->values[kSlots - 1] = zmStrdup("last");
  char** const array = list->values;

  char* refused = zmStrdup("refused");
  EXPECT_EQ(zmGFaddMFString(list, refused), -5);
  EXPECT_EQ(list->count, kSlots);
  EXPECT_EQ(list->values, array);
  const std::vector<std::string> expected = {
      "zmGFaddMFString: cannot allocate memory for strings of ZmMFString."};
  EXPECT_EQ(notified(), expected);
  zmFree(refused);  // still the caller's
  zmGFdeleteMFString(list);
}

// Runs the FieldsOutOfMemory cases in a child whose allocator returns null
// for any block above 1 MiB instead of stopping the program.
TEST(FieldsOutOfMemoryDriver, RunsTheCasesUnderARefusingAllocator) {
#if defined(__SANITIZE_ADDRESS__)
  const char* inherited = std::getenv("ASAN_OPTIONS");
  std::string asanOptions = "ASAN_OPTIONS=";
  if (inherited != nullptr && *inherited != '\0') asanOptions += std::string(inherited) + ":";
  asanOptions += "allocator_may_return_null=1:max_allocation_size_mb=1";
  const std::string marker = std::string(kRefusingChildVariable) + "=1";

  std::vector<char*> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "ASAN_OPTIONS=", 13) != 0) environment.push_back(*entry);
  }
  environment.push_back(asanOptions.data());
  environment.push_back(const_cast<char*>(marker.c_str()));
  environment.push_back(nullptr);

  std::string program = "/proc/self/exe";
  std::string filter = "--gtest_filter=FieldsOutOfMemory.*";
  char* arguments[] = {program.data(), filter.data(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environment.data()), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "child stopped by a signal";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "a FieldsOutOfMemory case failed in the child";
#else
  GTEST_SKIP() << "needs the AddressSanitizer build to refuse allocations";
#endif
}

}  // namespace
