// The by-name search of run-time class records across a module's load: the
// records a module enters while it loads are kept aside until its
// CDynLinkLibrary joins, found while it is there and gone when the module
// ends; records entered outside any load are the host's.
#include <gtest/gtest.h>

#include <memory>

#include "platform/ExtensionModule.h"
#include "platform/Object.h"

namespace blastsearch {

namespace {

// An address in the test program: the modules' instance.
const char s_anchor = 0;

CRuntimeClass MakeRecord(const char* name) { return {name, 0xFFFF, nullptr, nullptr, nullptr}; }

}  // namespace

TEST(ClassRecords, AModulesRecordsJoinWithItsLibraryAndLeaveWithIt) {
  CRuntimeClass outer = MakeRecord("CAsideOuter");
  CRuntimeClass inner = MakeRecord("CAsideInner");
  CRuntimeClass hostOwn = MakeRecord("CAsideHostOwn");
  CRuntimeClass sameName = MakeRecord("CAsideOuter");
  AFX_EXTENSION_MODULE outerState;
  AFX_EXTENSION_MODULE innerState;

  AfxExtensionModuleLoading(outerState);
  AfxClassInit(&outer);
  // A library loaded while another loads takes its own records.
  AfxExtensionModuleLoading(innerState);
  AfxClassInit(&inner);
  ASSERT_EQ(AfxInitExtensionModule(innerState, &s_anchor), 1);
  AfxClassInit(&sameName);  // the outer load is still under way
  ASSERT_EQ(AfxInitExtensionModule(outerState, &s_anchor), 1);
  EXPECT_EQ(outerState.pFirstSharedClass, &outer);
  EXPECT_EQ(outer.m_pNextClass, &sameName);
  EXPECT_EQ(innerState.pFirstSharedClass, &inner);
  // Aside: not found before the modules join.
  EXPECT_EQ(CRuntimeClass::FromName("CAsideOuter"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("CAsideInner"), nullptr);

  AfxClassInit(&hostOwn);  // no load under way: the host's, for good
  EXPECT_EQ(CRuntimeClass::FromName("CAsideHostOwn"), &hostOwn);

  auto* outerLibrary = new CDynLinkLibrary(outerState);
  new CDynLinkLibrary(innerState);
  EXPECT_EQ(CRuntimeClass::FromName("CAsideOuter"), &outer) << "the record entered first";
  EXPECT_EQ(CRuntimeClass::FromName("CAsideInner"), &inner);

  delete outerLibrary;  // out of the search, though the module is not ended
  EXPECT_EQ(CRuntimeClass::FromName("CAsideOuter"), nullptr);
  AfxTermExtensionModule(outerState);
  EXPECT_EQ(outerState.pFirstSharedClass, nullptr);

  // A record taken out (its library going) leaves the others of its chain.
  AfxClassTerm(&inner);
  EXPECT_EQ(CRuntimeClass::FromName("CAsideInner"), nullptr);
  AfxTermExtensionModule(innerState);
  EXPECT_EQ(CRuntimeClass::FromName("CAsideInner"), nullptr);

  AfxClassTerm(&hostOwn);
  EXPECT_EQ(CRuntimeClass::FromName("CAsideHostOwn"), nullptr);
  // After all that, later records are the host's again.
  AfxClassInit(&hostOwn);
  EXPECT_EQ(CRuntimeClass::FromName("CAsideHostOwn"), &hostOwn);
  AfxClassTerm(&hostOwn);
}

}  // namespace blastsearch
