// The component on its own, through the calls the panel loads by name.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "serverlink/SDMTypes.h"

namespace {

class Component : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("TAVRO_JP_SCRIPT");
    lib_ = dlopen(TAVRO_JP_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (lib_) {
      Sym<JP1_1DllEndFn>("JP1_1DllEnd")();
      dlclose(lib_);
    }
  }
  template <typename Fn>
  Fn Sym(const char* name) {
    auto fn = reinterpret_cast<Fn>(dlsym(lib_, name));
    EXPECT_NE(fn, nullptr) << name;
    return fn;
  }
  uint64_t Live() { return Sym<uint64_t (*)()>("TavroJP_LiveBlocks")(); }
  void* lib_ = nullptr;
};

TEST_F(Component, ExportsEveryCallOfTheTable) {
  for (const char* name :
       {"JP1_1BeginSession", "JP1_1IsServerReady", "JP1_1SetJobKeyValues", "JPSetJobReadOnlyKeys",
        "JP1_1SetJobVeiledKeys", "JP1_1SetWatermarks", "JP1_1OpenUI", "JP1_1GetJobKeyValues",
        "JP1_1GetWatermarks", "JP1_1Free", "SDMAllocMemory", "JP1_1EndSession", "JP1_1DllEnd",
        "SDMTerminate", "SDMDllEnd"})
    EXPECT_NE(dlsym(lib_, name), nullptr) << name;
}

TEST_F(Component, FreesOnlyItsOwnBlocksAndWhatASessionLeaves) {
  auto alloc = Sym<SDMAllocMemoryFn>("SDMAllocMemory");
  auto release = Sym<JP1_1FreeFn>("JP1_1Free");
  auto begin = Sym<JP1_1BeginSessionFn>("JP1_1BeginSession");
  auto end = Sym<JP1_1EndSessionFn>("JP1_1EndSession");

  SDMCallbackTable table{};
  void* handle = nullptr;
  table.version = 15;
  EXPECT_EQ(begin(&table, &handle), kSDMInvalidArgument);
  EXPECT_EQ(handle, nullptr);
  table.version = kSDMCallbackTableVersion;
  ASSERT_EQ(begin(&table, &handle), 0);

  void* a = nullptr;
  void* b = nullptr;
  ASSERT_EQ(alloc(handle, &a, 16), 0);
  ASSERT_EQ(alloc(handle, &b, 0), 0);
  EXPECT_EQ(Live(), 2u);
  int foreign = 0;
  void* notOurs = &foreign;
  EXPECT_EQ(release(&notOurs), kSDMInvalidArgument);
  EXPECT_EQ(release(&a), 0);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(release(&a), kSDMInvalidArgument);
  void* huge = nullptr;
  EXPECT_NE(alloc(handle, &huge, SIZE_MAX), 0);

  EXPECT_EQ(end(handle), 0);
  EXPECT_EQ(Live(), 0u);  // b went with its session
  EXPECT_EQ(end(handle), kSDMInvalidArgument);
  EXPECT_EQ(Sym<JP1_1IsServerReadyFn>("JP1_1IsServerReady")(handle), 0);
}

TEST_F(Component, WithoutAScriptTheDialogDeclines) {
  auto begin = Sym<JP1_1BeginSessionFn>("JP1_1BeginSession");
  auto openUI = Sym<JP1_1OpenUIFn>("JP1_1OpenUI");
  SDMCallbackTable table{};
  table.version = kSDMCallbackTableVersion;
  void* handle = nullptr;
  ASSERT_EQ(begin(&table, &handle), 0);
  int32_t result = -7;
  EXPECT_EQ(openUI(handle, "Printing Preferences", 3, 0, &result), 0);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Sym<JP1_1EndSessionFn>("JP1_1EndSession")(handle), 0);
}

}  // namespace
