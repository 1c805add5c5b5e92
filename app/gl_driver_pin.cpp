#include "app/gl_driver_pin.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace {

// Marks every loaded DRI driver as never to be unloaded.
int PinIfDriver(dl_phdr_info* info, size_t, void*) {
    const char* name = info->dlpi_name;
    const size_t length = name ? std::strlen(name) : 0;
    constexpr const char kSuffix[] = "_dri.so";
    constexpr size_t kSuffixLength = sizeof(kSuffix) - 1;
    if (length > kSuffixLength && std::strcmp(name + length - kSuffixLength, kSuffix) == 0) {
        // RTLD_NOLOAD only takes a reference to what is loaded; it is never given back.
        dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}

}  // namespace

void PinGlDriver() { dl_iterate_phdr(PinIfDriver, nullptr); }
