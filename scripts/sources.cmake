list(APPEND EVM_CORE_SOURCES)
list(APPEND EVM_WINDOW_SOURCES
  scripts/scriptprogress.cpp scripts/scriptprogress.h
  scripts/runscript.cpp
  scripts/snapshot.cpp
  scripts/directaccess.cpp)
