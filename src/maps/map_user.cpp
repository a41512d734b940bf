// mapfcn: the program's own projection for MYPR.
#include "api/routines_user_map_projections.h"
#include "core/context.h"

namespace kal {

void mapfcn(Context& ctx, kalvor_map_function f) { ctx.map.function = f; }

}  // namespace kal
