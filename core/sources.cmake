# evmcore: everything that needs no widget (QtCore only). The program, evmctl
# and the core tests link it.
list(APPEND EVM_CORE_SOURCES
  core/apperror.cpp core/apperror.h
  core/registermap.cpp core/registermap.h
  core/bindingtables.cpp core/bindingtables.h
  core/attenuationmath.cpp core/attenuationmath.h
  core/integertext.cpp core/integertext.h
  core/namedfields.cpp core/namedfields.h
  core/fields.cpp core/fields.h
  core/scriptline.cpp core/scriptline.h
  core/textfile.cpp core/textfile.h
  core/linksettings.h
  core/hxbus.cpp core/hxbus.h
  core/linktext.cpp core/linktext.h
  core/profilefile.cpp core/profilefile.h
  core/savefile.cpp core/savefile.h
  core/boardtypes.h
  core/termination.cpp core/termination.h
  core/transport.cpp core/transport.h
  core/interfacesettings.cpp core/interfacesettings.h
  core/scriptrunner.cpp core/scriptrunner.h
  core/board.cpp core/board.h
  core/snapshotcompare.cpp core/snapshotcompare.h)
