list(APPEND EVM_CORE_SOURCES
  scripts/scriptnumber.cpp scripts/scriptnumber.h
  scripts/fields.cpp scripts/fields.h
  scripts/scriptline.cpp scripts/scriptline.h
  scripts/textfile.cpp scripts/textfile.h)
list(APPEND EVM_WINDOW_SOURCES
  scripts/scriptprogress.cpp scripts/scriptprogress.h
  scripts/savefile.cpp scripts/savefile.h
  scripts/runscript.cpp
  scripts/snapshot.cpp
  scripts/directaccess.cpp)
