#include "app/prechargement.h"

#include "display/cinetiquemain.h"
#include "display/icones.h"
#include "display/polices.h"

#include <dlfcn.h>

std::future<void> PrechargeConfigurationPolices() {
    // The library is already loaded by the graphical toolkit; looking the symbol up avoids
    // linking to it for one call.
    using FcInitFn = int (*)();
    const auto fcInit = reinterpret_cast<FcInitFn>(dlsym(RTLD_DEFAULT, "FcInit"));
    if (!fcInit) return {};
    return std::async(std::launch::async, [fcInit] { fcInit(); });
}

std::future<void> PrepareFenetre() {
    return std::async(std::launch::async, [] {
        InstallePolices();
        PrepareIcones(TCinetiqueMain::ImagesBarres(), TCinetiqueMain::CoteImagesBarres);
    });
}
