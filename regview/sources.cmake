list(APPEND EVM_WINDOW_SOURCES
  regview/regviewform.cpp regview/regviewform.h
  regview/menu.cpp)
