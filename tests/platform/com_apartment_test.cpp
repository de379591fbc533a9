#include "platform/com_apartment.h"

#include <gtest/gtest.h>

#include <thread>

namespace platform {
namespace {

TEST(ComApartment, NestedInitialisationReportsFalseAndLastUninitialisationEnds) {
  ASSERT_FALSE(ApartmentInitialised());
  EXPECT_EQ(CoInitializeApartment(), kS_OK);
  EXPECT_EQ(CoInitializeApartment(), kS_FALSE);
  CoUninitializeApartment();
  EXPECT_TRUE(ApartmentInitialised());
  CoUninitializeApartment();
  EXPECT_FALSE(ApartmentInitialised());
  // One uninitialisation too many changes nothing: the next initialisation is the first again.
  CoUninitializeApartment();
  EXPECT_EQ(CoInitializeApartment(), kS_OK);
  CoUninitializeApartment();
}

TEST(ComApartment, EachThreadHasItsOwnApartment) {
  ASSERT_EQ(CoInitializeApartment(), kS_OK);
  bool other_saw_initialised = true;
  HResult other_first = kE_FAIL;
  std::thread([&] {
    other_saw_initialised = ApartmentInitialised();
    other_first = CoInitializeApartment();
    CoUninitializeApartment();
  }).join();
  EXPECT_FALSE(other_saw_initialised);
  EXPECT_EQ(other_first, kS_OK);
  EXPECT_TRUE(ApartmentInitialised());
  CoUninitializeApartment();
}

}  // namespace
}  // namespace platform
