#include "hxbus.h"

HxBusLibrary::~HxBusLibrary()
{
    // The library stays mapped if the window goes without FormClose; only the
    // QLibrary object is released.
    delete lib_;
}

HxBusLibrary::LoadResult HxBusLibrary::load(const QString& name)
{
    unload();
    auto* lib = new QLibrary(name);
    if (!lib->load()) {
        delete lib;
        return LoadResult::NotFound;
    }
    lib_ = lib;
    init = reinterpret_cast<InitFn>(lib->resolve("_init"));
    close = reinterpret_cast<CloseFn>(lib->resolve("_close"));
    readData = reinterpret_cast<ReadFn>(lib->resolve("_readData"));
    writeData = reinterpret_cast<WriteFn>(lib->resolve("_writeData"));
    getVer = reinterpret_cast<GetVerFn>(lib->resolve("_getVer"));
    if (!init || !close || !readData || !writeData || !getVer) {
        unload();
        return LoadResult::Invalid;
    }
    return LoadResult::Loaded;
}

void HxBusLibrary::unload()
{
    init = nullptr;
    close = nullptr;
    readData = nullptr;
    writeData = nullptr;
    getVer = nullptr;
    if (lib_) {
        lib_->unload();
        delete lib_;
        lib_ = nullptr;
    }
}
