// A C++ program on the C header: the world map of the library's own data on
// the VIRT device (no file; a warning when the data are not found), then the
// default cycle of default_cycle.c, whose output it must repeat exactly.
#include <kalvor/kalvor.h>

#include <string>

int main() {
    const std::string device = "VIRT";
    metafl(device.c_str());
    kalini();
    errmod("PROT", "OFF");
    grafmp(-180.f, 180.f, -180.f, 90.f, -90.f, 90.f, -90.f, 30.f);
    world();
    endgrf();
    kalfin();
    metafl("VEKM");
    kalini();
    kalfin();
    return 0;
}
