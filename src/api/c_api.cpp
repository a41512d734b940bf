// The fatal handler of the C interface. The entries themselves are generated
// from src/api/routines.tab (c_entries.cpp in the build tree).
#include <cstdio>
#include <cstdlib>

#include "api/abi_digest.h"
#include "api/c_guard.h"
#include "core/export.h"
#include "kalvor/kalvor.h"

namespace {

void default_fatal(const char*) { std::exit(1); }

kalvor_fatal_handler fatal_handler = default_fatal;

}  // namespace

namespace kal {

void c_failure(const Outcome& outcome) {
    // A Fatal has printed its message already; the others print theirs here.
    if (outcome.failure == Failure::NoMemory) {
        std::fputs(">>>> Not enough memory!\n", stdout);
        std::fflush(stdout);
        fatal_handler("Not enough memory!");
        return;
    }
    if (outcome.failure == Failure::Internal) {
        std::printf(">>>> %s!\n", outcome.message.c_str());
        std::fflush(stdout);
    }
    fatal_handler(outcome.message.c_str());
}

}  // namespace kal

extern "C" KALVOR_API kalvor_fatal_handler kalvor_set_fatal_handler(kalvor_fatal_handler handler) {
    kalvor_fatal_handler previous = fatal_handler;
    fatal_handler = handler ? handler : default_fatal;
    return previous;
}

extern "C" const char* kalvor_abi_digest(void) { return KALVOR_ABI_DIGEST; }
