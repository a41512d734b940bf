// Wrappers generated from a routine's C++ signature: every int, float and
// string parameter is a positional argument, every int* and float* parameter
// a result, returned after the return value (one result plainly, several as
// a tuple).
#pragma once
#include <array>
#include <string>
#include <tuple>
#include <utility>

#include "convert.h"
#include "core/fatal.h"

namespace kalpy {

// Runs `call` with the interpreter lock released when `nogil` is set, and
// turns library exceptions into Python exceptions. Returns false on error.
template <typename Call>
bool invoke(bool nogil, Call&& call) {
    const char* fatal_text = nullptr;
    std::string message;
    bool no_memory = false;
    PyThreadState* saved = nogil ? PyEval_SaveThread() : nullptr;
    try {
        call();
    } catch (const kal::Fatal& e) {
        message = e.what();
        fatal_text = message.c_str();
    } catch (const std::bad_alloc&) {
        no_memory = true;
    }
    if (saved) PyEval_RestoreThread(saved);
    if (fatal_text) {
        PyErr_SetString(PyExc_RuntimeError, fatal_text);
        return false;
    }
    if (no_memory) {
        PyErr_NoMemory();
        return false;
    }
    return true;
}

template <typename T>
struct Param;

template <>
struct Param<int> {
    static constexpr bool input = true;
    static constexpr char letter = 'i';
    using Store = int;
    static bool parse(PyObject* o, Store& s) { return to_int(o, s); }
    static int pass(Store& s) { return s; }
};

template <>
struct Param<float> {
    static constexpr bool input = true;
    static constexpr char letter = 'f';
    using Store = float;
    static bool parse(PyObject* o, Store& s) { return to_float(o, s); }
    static float pass(Store& s) { return s; }
};

template <>
struct Param<const char*> {
    static constexpr bool input = true;
    static constexpr char letter = 's';
    using Store = std::string;
    static bool parse(PyObject* o, Store& s) { return to_cstring(o, s); }
    static const char* pass(Store& s) { return s.c_str(); }
};

template <>
struct Param<int*> {
    static constexpr bool input = false;
    static constexpr char letter = 'i';
    using Store = int;
    static int* pass(Store& s) { return &s; }
    static PyObject* result(const Store& s) { return PyLong_FromLong(s); }
};

template <>
struct Param<float*> {
    static constexpr bool input = false;
    static constexpr char letter = 'f';
    using Store = float;
    static float* pass(Store& s) { return &s; }
    static PyObject* result(const Store& s) { return PyFloat_FromDouble(s); }
};

inline PyObject* to_python(int v) { return PyLong_FromLong(v); }
inline PyObject* to_python(float v) { return PyFloat_FromDouble(v); }
inline PyObject* to_python(const char* v) { return from_cstring(v); }

template <typename R, typename... P>
struct Signature {
    static constexpr size_t inputs = (0 + ... + (Param<P>::input ? 1 : 0));
    static constexpr size_t outputs = sizeof...(P) - inputs + (std::is_void_v<R> ? 0 : 1);

    // The argument letters ("sii") and result letters ("ff").
    static constexpr std::array<char, inputs + 1> argument_format() {
        std::array<char, inputs + 1> f{};
        size_t k = 0;
        ((Param<P>::input ? (void)(f[k++] = Param<P>::letter) : (void)0), ...);
        return f;
    }
    static constexpr std::array<char, outputs + 1> result_format() {
        std::array<char, outputs + 1> f{};
        size_t k = 0;
        if constexpr (std::is_same_v<R, int>) f[k++] = 'i';
        if constexpr (std::is_same_v<R, float>) f[k++] = 'f';
        if constexpr (std::is_same_v<R, const char*>) f[k++] = 's';
        ((!Param<P>::input ? (void)(f[k++] = Param<P>::letter) : (void)0), ...);
        return f;
    }
};

template <auto F>
struct Wrapper;

template <typename R, typename... P, R (*F)(P...)>
struct Wrapper<F> {
    using Sig = Signature<R, P...>;
    static constexpr auto arguments = Sig::argument_format();
    static constexpr auto results = Sig::result_format();

    template <size_t... I>
    static PyObject* run(const char* name, bool nogil, PyObject* args, std::index_sequence<I...>) {
        const Py_ssize_t given = PyTuple_GET_SIZE(args);
        if (given != static_cast<Py_ssize_t>(Sig::inputs)) {
            PyErr_Format(PyExc_TypeError, "%s() takes exactly %d argument%s (%zd given)", name,
                         static_cast<int>(Sig::inputs), Sig::inputs == 1 ? "" : "s", given);
            return nullptr;
        }
        std::tuple<typename Param<P>::Store...> store{};
        Py_ssize_t next = 0;
        bool ok = true;
        [[maybe_unused]] auto parse_one = [&](auto& slot, auto tag) {
            using T = typename decltype(tag)::type;
            if constexpr (Param<T>::input) {
                if (ok) ok = Param<T>::parse(PyTuple_GET_ITEM(args, next), slot);
                ++next;
            }
        };
        (parse_one(std::get<I>(store), std::type_identity<P>{}), ...);
        if (!ok) return nullptr;

        PyObject* results_list[Sig::outputs + 1] = {};
        size_t k = 0;
        if constexpr (std::is_void_v<R>) {
            if (!invoke(nogil, [&] { F(Param<P>::pass(std::get<I>(store))...); })) return nullptr;
        } else {
            R value{};
            if (!invoke(nogil, [&] { value = F(Param<P>::pass(std::get<I>(store))...); })) return nullptr;
            results_list[k++] = to_python(value);
        }
        [[maybe_unused]] auto collect = [&](auto& slot, auto tag) {
            using T = typename decltype(tag)::type;
            if constexpr (!Param<T>::input) results_list[k++] = Param<T>::result(slot);
        };
        (collect(std::get<I>(store), std::type_identity<P>{}), ...);
        return build_result(results_list, k);
    }

    static PyObject* build_result(PyObject** items, size_t k) {
        for (size_t i = 0; i < k; ++i) {
            if (!items[i]) {
                for (size_t j = 0; j < k; ++j) Py_XDECREF(items[j]);
                return nullptr;
            }
        }
        if (k == 0) Py_RETURN_NONE;
        if (k == 1) return items[0];
        PyObject* tuple = PyTuple_New(static_cast<Py_ssize_t>(k));
        if (!tuple) {
            for (size_t j = 0; j < k; ++j) Py_DECREF(items[j]);
            return nullptr;
        }
        for (size_t i = 0; i < k; ++i) PyTuple_SET_ITEM(tuple, i, items[i]);
        return tuple;
    }

    static PyObject* call(const char* name, bool nogil, PyObject* args) {
        return run(name, nogil, args, std::index_sequence_for<P...>{});
    }
};

constexpr bool same_format(const char* a, const char* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace kalpy
