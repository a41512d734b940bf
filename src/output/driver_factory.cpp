#include "core/devices.h"
#include "output/driver.h"
#include "output/drivers/cgm.h"
#include "output/drivers/hpgl.h"
#include "output/drivers/image.h"
#include "output/drivers/java.h"
#include "output/drivers/kyocera.h"
#include "output/drivers/pdf.h"
#include "output/drivers/postscript.h"
#include "output/drivers/screen.h"
#include "output/drivers/svg.h"
#include "output/drivers/vekmet.h"
#include "output/drivers/wmf.h"

namespace kal {

std::unique_ptr<Driver> make_driver(int device) {
    switch (family(device)) {
        case Family::Vekmet: return std::make_unique<VekmetDriver>();
        case Family::Cgm: return std::make_unique<CgmDriver>();
        case Family::Hpgl: return std::make_unique<HpglDriver>();
        case Family::Kyocera: return std::make_unique<KyoceraDriver>();
        case Family::Screen: return std::make_unique<ScreenDriver>(device);
        case Family::Image: return std::make_unique<ImageDriver>(device);
        case Family::PostScript: return std::make_unique<PostScriptDriver>(device);
        case Family::Pdf: return std::make_unique<PdfDriver>();
        case Family::Svg: return std::make_unique<SvgDriver>();
        case Family::Java: return std::make_unique<JavaDriver>();
        case Family::Wmf: return std::make_unique<WmfDriver>();
        default: return std::make_unique<Driver>();
    }
}

bool prepare_device_output(Context& ctx, int device, bool memory) {
    return family(device) == Family::Pdf ? prepare_pdf_output(ctx, memory) : true;
}

}  // namespace kal
