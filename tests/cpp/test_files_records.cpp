// File version names and the VEKMET fields.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/context.h"
#include "core/files.h"
#include "output/drivers/vekmet.h"
#include "output/sink.h"

namespace {

TEST(VersionedName, CutsTheBaseToEightCharacters) {
    EXPECT_EQ(kal::versioned_name("kalvor.ps", 1), "kalvor_1.ps");
    EXPECT_EQ(kal::versioned_name("kalvor.ps", 10), "kalvo_10.ps");
    EXPECT_EQ(kal::versioned_name("kalvor.ps", 1000), "kal_1000.ps");
    EXPECT_EQ(kal::versioned_name("averylongname.ps", 1), "averyl_1.ps");
    EXPECT_EQ(kal::versioned_name("plot", 2), "plot_2");
    EXPECT_EQ(kal::versioned_name("my.dir/plot", 3), "my.dir/plot_3");
    EXPECT_EQ(kal::versioned_name("a\\b.c\\name.eps", 1), "a\\b.c\\name_1.eps");
    EXPECT_EQ(kal::versioned_name("x.tar.gz", 1), "x.tar_1.gz");
}

// A memory block and what it holds.
struct Memory {
    Memory() { block.allocate(64, 64); }
    std::string text() const { return std::string(reinterpret_cast<const char*>(block.data()), block.size()); }
    kal::MemoryBlock block;
};

// VEKMET fields of a colour index, without the page header.
std::string vekmet_colour(int index) {
    kal::Context ctx;
    Memory m;
    kal::VekmetDriver drv;
    drv.attach(std::make_unique<kal::OutputSink>(&m.block));
    drv.colour(ctx, index);
    ctx.out.record.flush_line(drv.sink());
    std::string s = m.text();
    return s;
}

TEST(Vekmet, ColourEncoding) {
    EXPECT_EQ(vekmet_colour(100), "99.000000020.0000000\n");
    EXPECT_EQ(vekmet_colour(89), "98.0000000\n");
    EXPECT_EQ(vekmet_colour(0), "99.000000099.000000087.0000000\n");
    EXPECT_EQ(vekmet_colour(1), "10.0000000\n");
}

}  // namespace

#include <cstdlib>

#include "core/install.h"

namespace {

TEST(InstallationDir, EnvironmentThenPackageThenPrefix) {
    unsetenv("KALVOR");
    kal::set_package_data_dir("");
    EXPECT_EQ(kal::installation_dir(), KALVOR_TEST_DATADIR);
    kal::set_package_data_dir("/opt/pkg/kalvor/data");
    EXPECT_EQ(kal::installation_dir(), "/opt/pkg/kalvor/data");
    setenv("KALVOR", "/srv/kalvor", 1);
    EXPECT_EQ(kal::installation_dir(), "/srv/kalvor");
    setenv("KALVOR", "", 1);  // set but empty: an empty directory
    EXPECT_EQ(kal::installation_dir(), "");
    unsetenv("KALVOR");
    kal::set_package_data_dir("");
    EXPECT_EQ(kal::environment_value("KALVOR_NO_SUCH_VARIABLE"), "");
}

}  // namespace
