// Graph calculation: sampling each slot's script into its device buffers.
#include "common/trace.h"
#include "control/chart_control.h"

namespace talvex {

Result ChartControl::Calculate() {
    Trace().Output("TALVEXCONTROL::Calculate");
    ready = true;
    Trace().Output("    done");
    return kFail;
}

}  // namespace talvex
