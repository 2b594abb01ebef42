// Dynamic loading through the POSIX loader.
#include <dlfcn.h>

#include "platform/os.h"

namespace os {

const char kLibrarySuffix[] = ".so";

void *OpenLibrary(const char *file, std::string *reason) {
    void *library = dlopen(file, RTLD_LAZY);
    if (library == nullptr) {
        const char *text = dlerror();
        *reason = text != nullptr ? text : "";
    }
    return library;
}

void *FindSymbol(void *library, const char *name, std::string *reason) {
    dlerror();
    void *address = dlsym(library, name);
    if (const char *text = dlerror()) {
        *reason = text;
        return nullptr;
    }
    if (address == nullptr) *reason = std::string("symbol ") + name + " has a null address";
    return address;
}

}  // namespace os
