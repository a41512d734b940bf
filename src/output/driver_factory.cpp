#include "core/devices.h"
#include "output/driver.h"
#include "output/drivers/vekmet.h"

namespace kal {

std::unique_ptr<Driver> make_driver(int device) {
    switch (family(device)) {
        case Family::Vekmet: return std::make_unique<VekmetDriver>();
        default: return std::make_unique<Driver>();
    }
}

}  // namespace kal
