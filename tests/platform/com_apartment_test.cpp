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
  bool otherSawInitialised = true;
  std::thread([&] { otherSawInitialised = ApartmentInitialised(); }).join();
  EXPECT_FALSE(otherSawInitialised) << "each thread has its own apartment";
  CoUninitializeApartment();
}

}  // namespace
}  // namespace platform
