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

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/install.h"

namespace {

TEST(InstallationDir, EnvironmentThenPackageThenPrefix) {
    unsetenv("KALVOR");
    setenv("XDG_CONFIG_HOME", "/nonexistent/kalvor-test", 1);
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
    unsetenv("XDG_CONFIG_HOME");
}

// The user's kalvor.conf comes before the package directory and after
// KALVOR; anybody may have written it, so only a well-formed Path naming an
// existing absolute directory in the [kalvor] section counts.
TEST(InstallationDir, UserConfiguration) {
    namespace fs = std::filesystem;
    fs::path base = fs::temp_directory_path() / ("kalvor-conf-" + std::to_string(getpid()));
    fs::create_directories(base / "kalvor");
    fs::create_directories(base / "data dir %");
    const std::string data = (base / "data dir %").string();
    std::ofstream(base / "not a dir") << "x";
    struct Case {
        const char* what;
        std::string text;
        bool found;
    } cases[] = {
        {"plain", "[kalvor]\nPath=" + data + "\nVersion=9.1.0\n", true},
        {"CRLF and junk lines", "garbage\r\n[kalvor]\r\n=\r\nPath\r\nPath=" + data + "\r\n\x01\xff\r\n", true},
        {"other section", "[other]\nPath=" + data + "\n", false},
        {"no section", "Path=" + data + "\n", false},
        {"not a directory", "[kalvor]\nPath=" + (base / "not a dir").string() + "\n", false},
        {"missing", "[kalvor]\nPath=" + (base / "gone").string() + "\n", false},
        {"relative", "[kalvor]\nPath=.\n", false},
        {"beyond 64 KiB", "[kalvor]\n" + std::string(70000, '#') + "\nPath=" + data + "\n", false},
        {"empty", "", false},
    };
    setenv("XDG_CONFIG_HOME", base.c_str(), 1);
    unsetenv("KALVOR");
    kal::set_package_data_dir("/opt/pkg/kalvor/data");
    ASSERT_EQ(kal::user_config_file(), (base / "kalvor" / "kalvor.conf").string());
    struct stat st;
    const bool system_conf = stat(kal::system_config_file().c_str(), &st) == 0;
    for (const Case& c : cases) {
        std::ofstream(base / "kalvor" / "kalvor.conf", std::ios::binary) << c.text;
        if (c.found) {
            EXPECT_EQ(kal::installation_dir(), data) << c.what;
        } else if (!system_conf) {
            EXPECT_EQ(kal::installation_dir(), "/opt/pkg/kalvor/data") << c.what;
        }
    }
    std::ofstream(base / "kalvor" / "kalvor.conf") << "[kalvor]\nPath=" << data << "\n";
    setenv("KALVOR", "/srv/kalvor", 1);
    EXPECT_EQ(kal::installation_dir(), "/srv/kalvor");
    unsetenv("KALVOR");
    unsetenv("XDG_CONFIG_HOME");
    kal::set_package_data_dir("");
    fs::remove_all(base);
}

}  // namespace
