#include "PPDX/PPDObjects/PPDXErrors.h"

#include <gtest/gtest.h>

#include "PPDX/PPDObjects/PPDXErrorFunctions.h"
#include "PPDX/PPDXErrorCodes.h"

namespace {

TEST(PPDXErrorsTest, ErrorObject) {
  PPDXErrorObj plain(PPDErr_NoGroups, false);
  EXPECT_EQ(plain.Code(), PPDErr_NoGroups);
  EXPECT_EQ(plain.Keyword(), nullptr);
  EXPECT_EQ(plain.Description(), nullptr);
  EXPECT_FALSE(plain.IsFatal());
  PPDXErrorObj named(PPDErr_Duplicate, "*Duplex", true);
  EXPECT_STREQ(named.Keyword(), "*Duplex");
  EXPECT_TRUE(named.IsFatal());
  EXPECT_TRUE(named == PPDErr_Duplicate);
  PPDXErrorObj copy(named);
  EXPECT_STREQ(copy.Keyword(), "*Duplex");
  plain = named;
  EXPECT_EQ(plain.Code(), PPDErr_Duplicate);
  EXPECT_STREQ(plain.Keyword(), "*Duplex");
  EXPECT_EQ(PPDXErrorObj(PPDErr_BadShortcut, "", false).Keyword(), nullptr);
  EXPECT_STREQ(PPDErrorName(PPDErr_FileError), "PPDErr_FileError");
  EXPECT_EQ(PPDErrorName(2), nullptr);
}

TEST(PPDXErrorsTest, ListInOrderWithCursor) {
  PPDXErrors list;
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Next(), nullptr);
  auto* a = new PPDXErrorObj(PPDErr_NoPropertyPages, false);
  auto* b = new PPDXErrorObj(PPDErr_NoGroups, false);
  auto* c = new PPDXErrorObj(PPDErr_NoControls, "*X", true);
  EXPECT_FALSE(list.Add(nullptr));
  for (PPDXErrorObj* e : {a, b, c}) EXPECT_TRUE(list.Add(e));
  EXPECT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.First(), a);
  EXPECT_EQ(list.Next(), b);
  EXPECT_EQ(list.Next(), c);
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(list.Next(), nullptr);  // stays at the end
  EXPECT_EQ(list.First(), a);       // First resets
  EXPECT_TRUE(list.AnyFatal());

  EXPECT_EQ(FirstError(&list), a);
  EXPECT_EQ(NextError(&list), b);
  EXPECT_FALSE(ErrorListIsEmpty(&list));
  EXPECT_EQ(ErrorCount(&list), 3u);
  EXPECT_STREQ(GetErrorKeyword(c), "*X");
  EXPECT_EQ(GetErrorKeyword(a), nullptr);
  EXPECT_EQ(GetErrorDescription(c), nullptr);
  EXPECT_TRUE(IsErrorFatal(c));
  EXPECT_FALSE(IsErrorFatal(a));

  list.DeleteAll();  // the list itself never deletes; its owner does
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Next(), nullptr);
}

TEST(PPDXErrorsTest, NullSafeFunctionsOnNull) {
  EXPECT_EQ(FirstError(nullptr), nullptr);
  EXPECT_EQ(NextError(nullptr), nullptr);
  EXPECT_FALSE(ErrorListIsEmpty(nullptr));
  EXPECT_EQ(ErrorCount(nullptr), 0u);
  EXPECT_EQ(GetErrorKeyword(nullptr), nullptr);
  EXPECT_EQ(GetErrorDescription(nullptr), nullptr);
  EXPECT_FALSE(IsErrorFatal(nullptr));
}

}  // namespace
