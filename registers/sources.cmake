list(APPEND EVM_CORE_SOURCES
  registers/registermap.cpp registers/registermap.h
  registers/bindingtables.cpp registers/bindingtables.h
  registers/attenuationmath.cpp registers/attenuationmath.h)
list(APPEND EVM_WINDOW_SOURCES
  registers/bindings.h
  registers/panel.cpp
  registers/attenuation.cpp
  registers/zeroflags.cpp)
