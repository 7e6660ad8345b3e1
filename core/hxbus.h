#pragma once
// Run-time binding of the board access library (HxBus): load by bare name,
// look up the five entry points, unload.

#include "hxbus_contract.h"

#include <QLibrary>
#include <QString>

class HxBusLibrary {
public:
    using InitFn = HxBusInitFn;
    using CloseFn = HxBusCloseFn;
    using ReadFn = HxBusReadFn;
    using WriteFn = HxBusWriteFn;
    using GetVerFn = HxBusGetVerFn;

    enum class LoadResult { Loaded, NotFound, Invalid };

    HxBusLibrary() = default;
    HxBusLibrary(const HxBusLibrary&) = delete;
    HxBusLibrary& operator=(const HxBusLibrary&) = delete;
    ~HxBusLibrary();

    // Loads `name` through the platform's ordinary library search and binds
    // _init, _close, _readData, _writeData, _getVer in that order. On Invalid
    // the library is unloaded again and every entry point is null.
    LoadResult load(const QString& name);
    // Unloads and clears every entry point.
    void unload();
    bool isLoaded() const { return lib_ != nullptr; }

    InitFn init = nullptr;
    CloseFn close = nullptr;
    ReadFn readData = nullptr;
    WriteFn writeData = nullptr;
    GetVerFn getVer = nullptr;

private:
    QLibrary* lib_ = nullptr;
};
