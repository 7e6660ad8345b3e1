list(APPEND EVM_CORE_SOURCES
  app/apperror.cpp app/apperror.h)
list(APPEND EVM_WINDOW_SOURCES
  app/TForm1.h
  app/globals.h
  app/dialogs.cpp app/dialogs.h
  app/widgets.cpp app/widgets.h
  app/tabrows.cpp app/tabrows.h
  app/splashform.cpp app/splashform.h
  app/aboutdialog.cpp app/aboutdialog.h
  app/appwindows.cpp app/appwindows.h
  app/form1.cpp
  app/form1_layout.cpp
  app/form1_controls.cpp app/form1_controls.h
  app/pictures.cpp app/pictures.h
  app/form1_wiring.cpp
  app/about.cpp)
