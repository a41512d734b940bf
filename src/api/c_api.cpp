// The extern "C" entry points: each calls its routine and turns a fatal
// condition into a call of the fatal handler.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <type_traits>

#include "api/routines.h"
#include "core/fatal.h"
#include "kalvor/kalvor.h"

namespace {

void default_fatal(const char*) { std::exit(1); }

kalvor_fatal_handler fatal_handler = default_fatal;

inline const char* safe(const char* s) { return s ? s : ""; }
template <typename T>
inline T safe(T value) { return value; }

template <typename R, typename... P>
struct SafeCall {
    R (*fn)(P...);
    template <typename... A>
    R operator()(A... a) const { return fn(safe(a)...); }
};

template <typename R, typename... P>
SafeCall<R, P...> safe_call(R (*fn)(P...)) { return {fn}; }

template <typename R, typename F>
R guarded(F&& body) {
    try {
        return body();
    } catch (const kal::Fatal& e) {
        fatal_handler(e.what());
    } catch (const std::bad_alloc&) {
        std::fputs(">>>> Not enough memory!\n", stdout);
        std::fflush(stdout);
        fatal_handler("Not enough memory!");
    }
    if constexpr (std::is_same_v<R, const char*>) {
        return "";
    } else if constexpr (!std::is_void_v<R>) {
        return R{};
    }
}

}  // namespace

extern "C" {

KALVOR_API kalvor_fatal_handler kalvor_set_fatal_handler(kalvor_fatal_handler handler) {
    kalvor_fatal_handler previous = fatal_handler;
    fatal_handler = handler ? handler : default_fatal;
    return previous;
}

#define KAL_ROUTINE(ret, name, params, args) \
    KALVOR_API ret name params { return guarded<ret>([&]() -> ret { return safe_call(&kal::name) args; }); }
#include "api/routines.def"
#undef KAL_ROUTINE

}  // extern "C"
