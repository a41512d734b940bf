// No exception leaves an entry point: each kind becomes an outcome.
#include <gtest/gtest.h>

#include <stdexcept>

#include "api/guard.h"

TEST(EntryGuard, EveryExceptionBecomesAnOutcome) {
    using kal::Failure;
    EXPECT_EQ(kal::guard("line", [] {}).failure, Failure::None);
    kal::Outcome fatal = kal::guard("kalini", [] { throw kal::Fatal("File error in kalini!"); });
    EXPECT_EQ(fatal.failure, Failure::Fatal);
    EXPECT_EQ(fatal.message, "File error in kalini!");
    EXPECT_EQ(kal::guard("line", [] { throw std::bad_alloc(); }).failure, Failure::NoMemory);
    kal::Outcome internal = kal::guard("areaf", [] { throw std::out_of_range("vector::at"); });
    EXPECT_EQ(internal.failure, Failure::Internal);
    EXPECT_EQ(internal.message, "Internal error in areaf: vector::at");
    EXPECT_EQ(kal::guard("areaf", [] { throw 7; }).message, "Internal error in areaf");
}
