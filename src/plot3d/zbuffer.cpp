#include "plot3d/zbuffer.h"

#include "core/context.h"
#include "core/frame.h"

namespace kal {

ZBufferUse::ZBufferUse(Context& ctx) : ctx_(ctx) { warn(ctx_, 40); }

ZBufferUse::~ZBufferUse() = default;

void zbuffer_triangle(Context&, const ZVertex*, bool) {}

}  // namespace kal
