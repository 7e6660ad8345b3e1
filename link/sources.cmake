list(APPEND EVM_CORE_SOURCES
  link/profilefile.cpp link/profilefile.h
  link/linksettings.h
  link/hxbus.cpp link/hxbus.h
  link/linktext.cpp link/linktext.h
  link/settingstext.cpp link/settingstext.h)
list(APPEND EVM_WINDOW_SOURCES
  link/transport.cpp
  link/settings.cpp
  link/resets.cpp)
