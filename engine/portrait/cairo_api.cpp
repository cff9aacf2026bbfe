#include "engine/portrait/cairo_api.h"

#include "engine/portrait/field.h"

#include <map>
#include <mutex>
#include <string>

#include <dlfcn.h>

namespace vindrel::portrait {

namespace {

CairoApi Open(const std::string& soname)
{
    void* lib = dlopen(soname.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        throw PortraitError("Impossible de dessiner le portrait en PNG : la bibliothèque " + soname +
                            " (Cairo) est introuvable : installez-la, ou donnez un nom de fichier en .svg.");
    CairoApi api;
#define VINDREL_CAIRO_RESOLVE(name)                                                                  \
    api.name = reinterpret_cast<decltype(api.name)>(dlsym(lib, "cairo_" #name));                    \
    if (!api.name)                                                                                   \
        throw PortraitError("Impossible de dessiner le portrait en PNG : la bibliothèque " + soname + \
                            " n'a pas la fonction cairo_" #name ".");
    VINDREL_CAIRO_FUNCTIONS(VINDREL_CAIRO_RESOLVE)
#undef VINDREL_CAIRO_RESOLVE
    return api; // the library stays open: its functions are used until the end
}

} // namespace

const CairoApi& LoadCairo(const char* soname)
{
    static std::mutex mutex;
    static std::map<std::string, CairoApi> opened;
    std::lock_guard lock(mutex);
    auto it = opened.find(soname);
    if (it == opened.end()) it = opened.emplace(soname, Open(soname)).first;
    return it->second;
}

} // namespace vindrel::portrait
