# evmwindows: the program's windows over evmcore.
list(APPEND EVM_WINDOW_SOURCES
  ui/TForm1.h
  ui/globals.h
  ui/dialogs.cpp ui/dialogs.h
  ui/widgets.cpp ui/widgets.h
  ui/tabrows.cpp ui/tabrows.h
  ui/accessibility.cpp ui/accessibility.h
  ui/groupboxstyle.cpp ui/groupboxstyle.h
  ui/splashform.cpp ui/splashform.h
  ui/aboutdialog.cpp ui/aboutdialog.h
  ui/appwindows.cpp ui/appwindows.h
  ui/form1.cpp
  ui/form1_layout.cpp
  ui/form1_controls.cpp ui/form1_controls.h
  ui/pictures.cpp ui/pictures.h
  ui/form1_wiring.cpp
  ui/about.cpp
  ui/settings.cpp
  ui/resets.cpp
  ui/bindings.h
  ui/panel.cpp
  ui/attenuation.cpp
  ui/zeroflags.cpp
  ui/scriptprogress.cpp ui/scriptprogress.h
  ui/runscript.cpp
  ui/snapshot.cpp
  ui/directaccess.cpp
  ui/regviewform.cpp ui/regviewform.h
  ui/regviewmenu.cpp
  ui/evmcontroller.qrc)
# --version of the program.
set_property(SOURCE ui/main.cpp APPEND PROPERTY COMPILE_DEFINITIONS EVM_VERSION="${PROJECT_VERSION}")
