// A library's functions looked up on first use. A call that reads no PNG, GIF,
// JPEG or font file then maps none of those libraries: each one linked in costs
// every quillon-cli call its loading time and memory.
//
// A library lists its functions once, as F(name) F(name) ...; the list gives
// the table's members, named as the functions, and their lookup. Where the
// libraries are linked in statically (the Windows build sets
// QUILLON_LINKED_LIBRARIES), the table holds their addresses instead.
#pragma once

#include <string>
#include <type_traits>

#ifndef QUILLON_LINKED_LIBRARIES
#include <dlfcn.h>
#endif

namespace quillon {

#define QUILLON_FUNCTION_MEMBER(name) decltype(&::name) name = nullptr;
#ifdef QUILLON_LINKED_LIBRARIES
#define QUILLON_FUNCTION_LOOKUP(name) api.name = &::name;
#else
#define QUILLON_FUNCTION_LOOKUP(name) library.Find(api.name, #name);
#endif

// The opened library, found by its run-time name ("libspng.so.0").
class SharedLibrary {
public:
    SharedLibrary(const char* soname, const char* package) : soname_(soname), package_(package)
    {
#ifndef QUILLON_LINKED_LIBRARIES
        handle_ = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
        if (!handle_) {
            // The loader's words name the file and what is wrong with it.
            const char* error = dlerror();
            problem_ =
                (error ? std::string(error) : std::string(soname) + " cannot be loaded") + " (install " + package + ")";
        }
#endif
    }

    template <typename Function>
    void Find(Function& function, const char* name)
    {
#ifndef QUILLON_LINKED_LIBRARIES
        function = handle_ ? reinterpret_cast<Function>(dlsym(handle_, name)) : nullptr;
        if (!function && problem_.empty())
            problem_ = std::string(soname_) + " lacks " + name + ", which this tool needs: " + package_ +
                       " is older than the one it was built with";
#else
        (void)function, (void)name;
#endif
    }

    // Empty when every function was found.
    const std::string& Problem() const
    {
        return problem_;
    }

private:
    const char* soname_;
    const char* package_;
    void* handle_ = nullptr;
    std::string problem_;
};

// A library's table of functions, or why there is none.
template <typename Api>
struct Loaded {
    Api functions{};
    std::string problem;  // empty when every function was found

    explicit operator bool() const { return problem.empty(); }
    const Api* operator->() const { return &functions; }
};

// The table of `Api`, filled once by `lookUp(library, table)`.
template <typename Api, typename LookUp>
const Loaded<Api>& LoadOnce(const char* soname, const char* package, LookUp lookUp)
{
    static const Loaded<Api> loaded = [&] {
        Loaded<Api> result;
        SharedLibrary library(soname, package);
        lookUp(library, result.functions);
        result.problem = library.Problem();
        return result;
    }();
    return loaded;
}

}  // namespace quillon
